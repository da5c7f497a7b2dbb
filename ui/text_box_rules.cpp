#include "ui/text_box_rules.h"

#include <QLineEdit>
#include <QValidator>
#include <variant>

#include "core/settings/field_reader.h"
#include "ui/settings_controls.h"
#include "ui_form1.h"

namespace tarnwick {
namespace {

int CharactersBeyondOneByte(const QString& text) {
  int count = 0;
  for (const QChar c : text) count += c.unicode() > 0xFF ? 1 : 0;
  return count;
}

// Refuses a typed or pasted change that adds a character beyond U+00FF: such a character has
// no single byte on the line. What the program itself puts into the box (a settings file, the
// defaults) is taken as it is, and an edit that keeps or removes such a character is allowed,
// so a value loaded from a file can still be corrected.
class OneByteCharacters final : public QValidator {
 public:
  explicit OneByteCharacters(QLineEdit& box)
      : QValidator(&box), box_(box), held_(CharactersBeyondOneByte(box.text())) {
    connect(&box, &QLineEdit::textChanged, this,
            [this](const QString& text) { held_ = CharactersBeyondOneByte(text); });
  }

  State validate(QString& input, int&) const override {
    // The box counts as modified only while the user edits it; setText() resets that.
    if (!box_.isModified()) return Acceptable;
    return CharactersBeyondOneByte(input) > held_ ? Invalid : Acceptable;
  }

 private:
  QLineEdit& box_;
  int held_;  // in the text the box holds now
};

}  // namespace

void ApplyTextBoxRules(Ui::Form1& ui) {
  constexpr int kMaxLength = static_cast<int>(FieldReader::kMaxFieldBytes);
  for (const SettingControl& entry : SettingControls(ui)) {
    const auto* text = std::get_if<TextSetting>(&entry);
    if (!text) continue;
    QLineEdit* box = text->control;
    box->setMaxLength(kMaxLength);
    if (text->isPath) continue;
    box->setValidator(new OneByteCharacters(*box));
    box->setAcceptDrops(false);
  }
}

}  // namespace tarnwick
