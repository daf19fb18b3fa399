// What assistive technology learns of the hex editor: the caret's address and byte value, and the
// text of the caret's row with the caret in it.
#pragma once

namespace orvane {

class THexEditor;

// Registers the editor's accessible interface with Qt; safe to call more than once.
void InstallHexEditorAccessibility();
// Tells assistive technology that the caret, or the byte under it, changed.
void NotifyHexEditorCaret(THexEditor* editor);

} // namespace orvane
