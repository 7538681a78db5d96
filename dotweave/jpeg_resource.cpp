#include "dotweave/jpeg_resource.h"

#include <QFile>

#include "platform/errors.h"
#include "platform/jpeg.h"

// The resources live in a static library; they must be registered by hand before first use.
static void InitDotweaveResources() { Q_INIT_RESOURCE(dotweave); }

void LoadJpegResource(const std::string& name, TDIB& target) {
  static const bool registered = (InitDotweaveResources(), true);
  (void)registered;
  QFile file(QStringLiteral(":/JPG/") + QString::fromStdString(name));
  if (!file.open(QIODevice::ReadOnly)) throw TFileError(name, "no such picture in the program");
  const QByteArray data = file.readAll();
  target = ReadJpegFromMemory(reinterpret_cast<const std::uint8_t*>(data.constData()),
                              static_cast<std::size_t>(data.size()), name);
}
