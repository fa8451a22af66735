#pragma once

// Including this header gives a GoogleTest program one GUI application for all its tests: text
// needs the font database, which needs a GUI application. It runs window-less.

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace tavlex::testenv {

class GuiTestEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (QCoreApplication::instance() != nullptr) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tavlex_test";
        static char* argv[] = {name, nullptr};
        app_ = new QGuiApplication(argc, argv);
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
    }

  private:
    QGuiApplication* app_ = nullptr;
};

inline const bool kGuiTestEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new GuiTestEnvironment), true);

}  // namespace tavlex::testenv
