#include "qt_test_app.h"

#include <gtest/gtest.h>

namespace {

QApplication* app = nullptr;

class TAppEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    delete app;
    app = nullptr;
  }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new TAppEnvironment);

}  // namespace

QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "shared_widget_tests";
  static char* argv[] = {name, nullptr};
  if (!app) app = new QApplication(argc, argv);
  return *app;
}
