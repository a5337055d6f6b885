#include "testsupport/WidgetLookup.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

void triggerOnAWindowWithoutActions()
{
    QWidget window;
    testsupport::trigger(window, "Exit1");
}

TEST(TestsupportWidgetLookup, FindsANestedPartOfTheAskedTypeWhenAnotherTypeSharesItsName)
{
    QWidget window;
    auto* label = new QLabel(&window);
    label->setObjectName("adr");
    auto* page = new QWidget(&window);
    auto* box = new QLineEdit(page);
    box->setObjectName("adr");

    EXPECT_EQ(testsupport::child<QLineEdit>(window, "adr"), box);
    EXPECT_EQ(testsupport::child<QLineEdit>(&window, "adr"), box);
    EXPECT_EQ(testsupport::child<QLabel>(window, "adr"), label);
    EXPECT_EQ(testsupport::child(window, "adr"), label); // any widget: the first one in child order
}

TEST(TestsupportWidgetLookup, AMissingPartFailsTheTestByNameAndGivesNull)
{
    QWidget window;
    auto* label = new QLabel(&window);
    label->setObjectName("status");

    QLineEdit* found = nullptr;
    EXPECT_NONFATAL_FAILURE(found = testsupport::child<QLineEdit>(window, "status"), "status");
    EXPECT_EQ(found, nullptr);
    EXPECT_NONFATAL_FAILURE(testsupport::child(&window, "nowhere"), "nowhere");
}

TEST(TestsupportWidgetLookup, TriggerFiresTheNamedActionAndStopsTheTestWhenItIsMissing)
{
    QWidget window;
    auto* exit = new QAction(&window);
    exit->setObjectName("Exit1");
    int fired = 0;
    QObject::connect(exit, &QAction::triggered, [&] { ++fired; });

    testsupport::trigger(window, "Exit1");
    EXPECT_EQ(fired, 1);
    EXPECT_FATAL_FAILURE(triggerOnAWindowWithoutActions(), "Exit1");
}

} // namespace
