#include "gui/hexeditor/RefreshHexView.h"

#include "gui/hexeditor/THexEditor.h"

namespace orvane {

void RefreshHexView(THexEditor& editor, const AppState& s)
{
    editor.SetBytes(s.RomImage);
    editor.SetModified(false);
}

} // namespace orvane
