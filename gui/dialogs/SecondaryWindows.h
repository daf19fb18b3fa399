// The secondary windows the main window opens. Each is created anew, shown without a modal loop,
// and switches the main window back on when it closes.
#pragma once

namespace orvane {

class WindowHost;

void ShowDeviceSelection(WindowHost& host); // TfrmDevSel, "选择器件"
void ShowProgramDialog(WindowHost& host);   // TfrmProgram, "下载+编程"
void ShowRollingCode(WindowHost& host);     // TFrmDynamicID, btnVerify
void ShowAbout(WindowHost& host);           // TfrmAbout

} // namespace orvane
