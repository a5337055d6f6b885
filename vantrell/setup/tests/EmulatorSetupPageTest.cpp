// The setup page's port list and adapter suggestion, over the link to simulated boards in the test
// process.
#include "vantrell/setup/EmulatorSetupPage.h"
#include "vantrell/link/tests/InProcessRig.h"

#include "emulink/PortListBox.h"
#include "testsupport/WidgetLookup.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace vantrell {
namespace {

const emulink::PortDescription kAdapter{"/dev/ttyUSB0", "CP2102", "Silicon Labs", {}, true};

struct PageRig
{
    explicit PageRig(std::vector<emulink::PortDescription> ports) : systemPorts(std::move(ports))
    {
        testsupport::child<emulink::PortListBox>(page, "port_list")->setLister([this] {
            return systemPorts;
        });
    }
    // The user leaves the port box after typing `text`.
    void typePort(const QString& text)
    {
        box->setText(text);
        emit box->editingFinished();
    }

    testing::InProcessRig link;
    QTemporaryDir folder;
    EmulatorSetupPage page{link.link, link.status, folder.path()};
    QLineEdit* box = testsupport::child<QLineEdit>(page, "TextComport");
    std::vector<emulink::PortDescription> systemPorts;
};

TEST(EmulatorSetupPage, ChoosingAPortFromTheListPutsItsNameInTheBoxAndThePortsAdviceIsALine)
{
    PageRig rig({{"/dev/ttyS0", {}, {}, {}, false}, kAdapter});
    QTest::keyClick(rig.page.findChild<QWidget*>("port_list"), Qt::Key_Down); // the adapter comes first
    EXPECT_EQ(rig.box->text(), "/dev/ttyUSB0");
    EXPECT_EQ(rig.page.portName(), "/dev/ttyUSB0");

    emit rig.link.port.portAdvice("Could not set low latency on sim0");
    EXPECT_EQ(rig.link.takeLines(), std::vector<std::string>{"Could not set low latency on sim0"});
}

TEST(EmulatorSetupPage, TheOneAdapterIsSuggestedOnceForABoxThatNamesNoPortAndAgainAfterAFailedScan)
{
    PageRig rig({kAdapter});
    const std::string suggestion = emulink::adapterSuggestionLine(kAdapter).toStdString();
    rig.typePort("/dev/tessavel-gone");
    rig.page.openPage();
    EXPECT_EQ(rig.link.takeLines(), std::vector<std::string>{suggestion});

    rig.link.port.refuseName("/dev/tessavel-gone");
    rig.page.scan();
    const std::vector<std::string> lines = rig.link.takeLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), link_messages::kPortError);
    EXPECT_EQ(lines.back(), suggestion);

    // The box names the adapter: nothing to suggest; a second adapter: nothing to choose between.
    rig.typePort("/dev/ttyUSB0");
    rig.systemPorts.push_back({"/dev/ttyUSB1", {}, {}, {}, true});
    rig.typePort("/dev/tessavel-gone");
    EXPECT_TRUE(rig.link.takeLines().empty());
}

} // namespace
} // namespace vantrell
