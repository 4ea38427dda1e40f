// One QApplication for the whole test program, created before the first test.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/windows/texts.h"

namespace {

int argument_count = 1;
char program_name[] = "app_tests";
char* arguments[] = {program_name, nullptr};

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        application_ = new QApplication(argument_count, arguments);
        QApplication::setApplicationName(morvalen::app::app_title);
    }
    void TearDown() override { delete application_; }

private:
    QApplication* application_ = nullptr;
};

[[maybe_unused]] const ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
