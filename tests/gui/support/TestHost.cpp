#include "tests/gui/support/TestHost.h"

#include "app/Startup.h"
#include "image/RomImage.h"
#include "writer/Comm1Settings.h"

#include <QApplication>

#include <cstdlib>

namespace orvane::test {

TestHost::TestHost()
    : comm_(loop_, [this](const std::string& name) { return name == "COM1" ? com1_ : ""; }),
      link(state, comm_, loop_),
      operations(state, link, view)
{
    CopyDataFiles(app.path());
    ConfigureComm1(comm_);
    main.resize(800, 600);
}

void TestHost::StartUp()
{
    SetUpState(state, app.path());
    comm_.SetCommName("COM1");
}

QWidget* OpenWindow(const char* objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible())
            return w;
    return nullptr;
}

void Photograph(QWidget& window, const char* fileName)
{
    if (const char* folder = std::getenv("ORVANE_SCREENSHOT_DIR")) {
        EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(folder) + "/" + fileName, "PNG"))
            << fileName;
    }
}

} // namespace orvane::test
