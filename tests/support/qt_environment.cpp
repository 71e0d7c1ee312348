// One QApplication on Qt's offscreen platform for a whole widget test program, made before
// the first test and destroyed after the last (a QApplication left to static destruction
// outlives parts of Qt it needs). The user-interface thread waits for the pass lock the
// way the desktop program makes it wait: serving queued requests from other threads
// between tries.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "core/run_loop.h"

using namespace core;

namespace {

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
    SetPassWaitHookForThisThread([] { QCoreApplication::processEvents(); });
  }
  void TearDown() override {
    SetPassWaitHookForThisThread(nullptr);
    app_.reset();
  }

 private:
  int argc_ = 1;
  char name_[16] = "widget_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const kQtEnvironment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
