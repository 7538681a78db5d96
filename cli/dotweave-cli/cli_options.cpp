#include "cli_options.h"

const char kUsage[] =
    "usage: dotweave-cli render MASK -o OUT [--texture FILE] [--config FILE] "
    "[--set KEY=VALUE]... [--blend] [--progress]";

const char kHelp[] =
    "dotweave-cli: renders a stereogram from a depth mask without a window.\n"
    "\n"
    "usage: dotweave-cli render MASK -o OUT [options]\n"
    "\n"
    "  MASK               depth mask (BMP, DIB, JPEG (.jpg), GIF or PNG); grey = nearness\n"
    "  -o, --output OUT   the stereogram to write; the extension chooses the format:\n"
    "                     .bmp (8-bit with palette or 24-bit), .jpg (progressive, quality\n"
    "                     \"JpegQual\"), .png\n"
    "  --texture FILE     texture picture for the pattern (\"FonFileName\"); needed unless\n"
    "                     random dots are on (--set Randm=1)\n"
    "  --config FILE      settings file in the form of \"Dotweave.cfg\": sections \"Options\",\n"
    "                     \"Colors\" and \"Blending\"\n"
    "  --set KEY=VALUE    a setting as if it stood in section \"Options\" of the settings\n"
    "                     file, applied after --config; SECTION.KEY=VALUE for another\n"
    "                     section (--set Blending.Volume=30, --set Colors.255=255).\n"
    "                     May be given many times; later ones win\n"
    "  --blend            lay the blending effect of section \"Blending\" over the result\n"
    "  --progress         show a progress bar on standard error\n"
    "  -h, --help         show this help\n"
    "\n"
    "Settings start from the defaults, then --config, then each --set in order; then the\n"
    "loading rules of the settings file apply (odd \"Base\" raised to even, the preset size of\n"
    "\"Resolution\" unless \"CustomRez\" is 1). Random dots start from the same seed every run,\n"
    "so the same command always writes the same picture.\n"
    "\n"
    "Exit status: 0 success, 1 an input that cannot be read or an output that cannot be\n"
    "written (one line on standard error), 2 a usage error.\n";

namespace {

TRenderOptions::TSetting ParseSetting(const std::string& text) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0)
    throw TUsageError("--set needs KEY=VALUE, got '" + text + "'");
  std::string name = text.substr(0, eq);
  std::string section = "Options";
  const std::size_t dot = name.find('.');
  if (dot != std::string::npos) {
    section = name.substr(0, dot);
    name = name.substr(dot + 1);
    if (section.empty() || name.empty())
      throw TUsageError("--set needs SECTION.KEY=VALUE, got '" + text + "'");
  }
  return {section, name, text.substr(eq + 1)};
}

}  // namespace

TCommand ParseArguments(const std::vector<std::string>& args, TRenderOptions& options) {
  if (args.empty()) throw TUsageError("no command given");
  if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") return TCommand::Help;
  if (args[0] != "render") throw TUsageError("unknown command '" + args[0] + "'");
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw TUsageError(a + " needs a value");
      return args[++i];
    };
    if (a == "-h" || a == "--help") return TCommand::Help;
    if (a == "-o" || a == "--output")
      options.output = value();
    else if (a == "--texture")
      options.texture = value();
    else if (a == "--config")
      options.config = value();
    else if (a == "--set")
      options.settings.push_back(ParseSetting(value()));
    else if (a == "--blend")
      options.blend = true;
    else if (a == "--progress")
      options.progress = true;
    else if (a.size() > 1 && a[0] == '-')
      throw TUsageError("unknown option '" + a + "'");
    else
      positional.push_back(a);
  }
  if (positional.size() != 1)
    throw TUsageError(positional.empty() ? "no MASK given" : "more than one MASK given");
  options.mask = positional[0];
  if (options.output.empty()) throw TUsageError("no output given (-o OUT)");
  return TCommand::Render;
}
