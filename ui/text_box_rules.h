#pragma once

namespace Ui {
class Form1;
}

namespace tarnwick {

// What the main window's twelve text boxes take:
// - every box holds as long a value as a settings file can carry, so a loaded value is never
//   cut before it is saved again;
// - the ten boxes of protocol characters take only characters that go to the line as one
//   byte each (up to U+00FF), typed or pasted, and take no drops;
// - the two path boxes take any character; their drops are handled apart (PathDropFilter).
void ApplyTextBoxRules(Ui::Form1& ui);

}  // namespace tarnwick
