// Saves a picture of each secondary window and of the find box, as the operator sees it, to the
// folder named by ORVANE_SCREENSHOT_DIR (docs/screenshots/ in the source tree); skipped without it.
#include "gui/dialogs/SecondaryWindows.h"
#include "gui/dialogs/TFrmDynamicID.h"
#include "gui/dialogs/TfrmAbout.h"
#include "gui/dialogs/TfrmDevSel.h"
#include "gui/dialogs/TfrmProgram.h"
#include "gui/main/FindBox.h"

#include "tests/gui/support/TestHost.h"
#include "tests/support/Process.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdlib>

namespace orvane::test {
namespace {

void Save(QWidget* window, const char* name)
{
    ASSERT_NE(window, nullptr) << name;
    const QString path = QString::fromLocal8Bit(std::getenv("ORVANE_SCREENSHOT_DIR")) + "/" + name;
    EXPECT_TRUE(window->grab().save(path, "PNG")) << name;
}

TEST(Screenshots, EachWindow)
{
    if (!std::getenv("ORVANE_SCREENSHOT_DIR"))
        GTEST_SKIP() << "ORVANE_SCREENSHOT_DIR is not set";
    TestHost host;
    WriteText(host.app.file("Udate_VX.ini"), "[CHIP]\nCHIP_NAME=QK128\n[ID]\nID_LENGTH=2\n"
                                             "ID_ADDR_START=1800\nID_START=0005\n");
    host.StartUp();
    SimulatorProcess sim(SIM_PATH, host.app.path());
    host.ServeCom1(sim.Link());

    ShowDeviceSelection(host);
    auto* devSel = static_cast<TfrmDevSel*>(OpenWindow("TfrmDevSel"));
    Save(devSel, "devsel.png");
    devSel->BitBtn2->click();

    ShowProgramDialog(host);
    auto* program = static_cast<TfrmProgram*>(OpenWindow("TfrmProgram"));
    program->cbxIDconfig->click();
    program->BitBtn1->click();
    Save(program, "program.png");
    program->BitBtn2->click();

    ShowRollingCode(host);
    auto* rolling = static_cast<TFrmDynamicID*>(OpenWindow("TFrmDynamicID"));
    rolling->rbDisable->click();
    Save(rolling, "rolling-code.png");
    rolling->btCancle->click();

    ShowAbout(host);
    auto* about = static_cast<TfrmAbout*>(OpenWindow("TfrmAbout"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return about->btnClose->isEnabled(); }, 5000));
    Save(about, "about.png");
    about->btnClose->click();

    FindBox find(nullptr);
    find.edtFind->setText("A5 5A");
    find.show();
    Save(&find, "find.png");
}

} // namespace
} // namespace orvane::test
