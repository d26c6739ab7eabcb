#pragma once
// One QApplication for the whole test program, made before the first test and
// destroyed after the last one (before the process's static objects go).
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace quorvane::test {

class QtAppEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "quorvane_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

inline testing::Environment* const kQtApp = testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace quorvane::test
