#include "PortListBox.h"

#include <QStandardItemModel>

#include <gtest/gtest.h>

namespace emulink {
namespace {

TEST(PortListBox, RefillsWhenOpenedKeepingTheChosenPortAndSaysWhenThereIsNone)
{
    std::vector<PortDescription> system{{"COM3", {}, {}, {}, false},
                                        {"COM7", "USB Serial Port", {}, {}, true}};
    PortListBox box;
    box.setLister([&] { return system; });
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(0), PortListBox::kCaption);
    box.showDevice(" COM3 ");
    EXPECT_EQ(box.currentData().toString(), "COM3");

    // Plugged in after the list was filled: there when the list opens, the choice unchanged.
    system.push_back({"COM1", {}, {}, {}, false});
    box.showPopup();
    box.hidePopup();
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(box.currentData().toString(), "COM3");

    system.clear();
    box.refresh();
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(box.itemText(1), PortListBox::kNoPorts);
    EXPECT_FALSE(qobject_cast<QStandardItemModel*>(box.model())->item(1)->isEnabled());
}

} // namespace
} // namespace emulink
