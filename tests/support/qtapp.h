// SPDX-License-Identifier: MIT
#pragma once
// The one way a test program gets its application: include this header in any
// of its files. One QApplication for the whole run, made before the first test
// and destroyed after the last one (before the process's static objects go),
// on the offscreen platform unless the run chose another.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace quorvane::test {

class QtAppEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "quorvane_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

// Inline: registered once however many files of the program include it, and
// before any environment that a including file registers after the include.
inline testing::Environment* const kQtApp = testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace quorvane::test
