#include "ui/frm_splash.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "ui/plain_text_labels.h"
#include "ui/program_identity.h"
#include "ui/resources.h"
#include "ui_frmsplash.h"

namespace tarnwick {
namespace {

// Keys that type a character: letters, digits, punctuation, space, Enter, Esc and Backspace.
// Arrows, function keys and modifiers type none and leave the window open.
bool TypesCharacter(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
      return true;
    default:
      return !event.text().isEmpty() && event.text().front().isPrint();
  }
}

// Grows or shrinks a label to fit its text. A right-aligned label keeps its right edge, any
// other its left edge, so the texts stay lined up as laid out.
void SizeToText(QLabel* label) {
  label->ensurePolished();
  const QRect before = label->geometry();
  const QSize fitted = label->sizeHint();
  QRect after(before.topLeft(), fitted);
  if (label->alignment() & Qt::AlignRight) after.moveRight(before.right());
  label->setGeometry(after);
}

}  // namespace

frmSplash::frmSplash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui_(new Ui::frmSplash) {
  EnsureResourcesLoaded();
  ui_->setupUi(this);
  ShowLabelsAsPlainText(*this);
  setFixedSize(size());
  ui_->Frame1->installEventFilter(this);
  Form_Load();
  move(screen()->availableGeometry().center() - rect().center());
}

frmSplash::~frmSplash() = default;

void frmSplash::Form_Load() {
  ui_->lblVersion->setText(AboutVersionLine());
  ui_->lblProductName->setText(QString::fromLatin1(kProgramTitle));
  for (QLabel* label :
       {ui_->lblCompanyProduct, ui_->lblProductName, ui_->lblPlatform, ui_->lblVersion}) {
    SizeToText(label);
  }
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
  // Replaces QDialog's own keys (Esc rejects, Enter presses a default button): here every
  // character key closes the window and nothing else does.
  if (TypesCharacter(*event)) {
    Form_KeyPress();
    return;
  }
  event->ignore();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->Frame1 && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    // A click on a label or the picture arrives here too, passed on by the label; only a
    // click on the frame's own free area counts.
    if (mouse->button() == Qt::LeftButton && ui_->Frame1->rect().contains(at) &&
        ui_->Frame1->childAt(at) == nullptr) {
      Frame1_Click();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void frmSplash::Form_KeyPress() {
  accept();
}

void frmSplash::Frame1_Click() {
  accept();
}

}  // namespace tarnwick
