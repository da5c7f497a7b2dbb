#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "ui/file_chooser.h"
#include "ui/message_boxes.h"

namespace tarnwick::testing {

// The file dialog, answered from a script: each use takes the next answer, a path or a
// cancel; with no answer left it is cancelled.
class ScriptedFileChooser final : public FileChooser {
 public:
  struct Use {
    QString title;
    QString filter;
    FileChooserMode mode;
  };
  std::deque<QString> answers;  // a null QString is a cancel
  std::vector<Use> uses;

  std::optional<QString> Choose(QWidget*, const QString& title, const QString& filter,
                                FileChooserMode mode) override {
    uses.push_back({title, filter, mode});
    if (answers.empty()) return std::nullopt;
    const QString answer = answers.front();
    answers.pop_front();
    if (answer.isNull()) return std::nullopt;
    return std::make_optional(answer);
  }
};

// Message boxes that record what they were asked to show and answer questions Yes unless
// told otherwise.
class RecordingMessageBoxes final : public MessageBoxes {
 public:
  struct Shown {
    QString title;
    QString text;
    MessageIcon icon;
    bool question;
  };
  std::vector<Shown> shown;
  bool answer = true;
  // Runs while the "modal box" is up, as the user's reaction would.
  std::function<void(const Shown&)> whileOpen;

  void Show(QWidget*, const QString& title, const QString& text, MessageIcon icon) override {
    shown.push_back({title, text, icon, false});
    if (whileOpen) whileOpen(shown.back());
  }
  bool AskYesNo(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({title, text, MessageIcon::None, true});
    if (whileOpen) whileOpen(shown.back());
    return answer;
  }

  QStringList Texts() const {
    QStringList texts;
    for (const auto& s : shown) texts << s.text;
    return texts;
  }
};

}  // namespace tarnwick::testing
