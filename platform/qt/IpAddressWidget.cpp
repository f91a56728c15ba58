#include "platform/qt/IpAddressWidget.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace platform::qt {

IpAddressWidget::IpAddressWidget(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  auto* validator = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), this);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    auto* e = new QLineEdit(this);
    e->setFrame(false);
    e->setAlignment(Qt::AlignCenter);
    e->setMaxLength(3);
    e->setValidator(validator);
    e->setObjectName(QString("field%1").arg(i));
    e->installEventFilter(this);
    // One tab stop for the whole control: Tab leaves it, "." and the arrows move inside.
    if (i > 0) e->setFocusPolicy(Qt::ClickFocus);
    connect(e, &QLineEdit::textEdited, this, [this, i](const QString& text) {
      if (onEdited) onEdited();
      // Three digits move on to the next field, as the Windows control does.
      if (text.size() == 3 && i + 1 < fields_.size()) {
        fields_[i + 1]->setFocus();
        fields_[i + 1]->selectAll();
      }
    });
    fields_[i] = e;
  }
  for (auto& d : dots_) {
    d = new QLabel(".", this);
    d->setAlignment(Qt::AlignCenter);
    d->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  setFocusProxy(fields_[0]);
}

void IpAddressWidget::setFont(const QFont& font) {
  QFrame::setFont(font);
  for (auto* f : fields_) f->setFont(font);
  for (auto* d : dots_) d->setFont(font);
  Layout();
}

void IpAddressWidget::SetFields(const IpFields& fields) {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    QString text = fields[i] ? QString::number(*fields[i]) : QString();
    if (fields_[i]->text() != text) fields_[i]->setText(text);
  }
}

IpFields IpAddressWidget::Fields() const {
  IpFields out{};
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const QString text = fields_[i]->text();
    if (!text.isEmpty()) out[i] = text.toInt();
  }
  return out;
}

bool IpAddressWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    auto it = std::find(fields_.begin(), fields_.end(), watched);
    if (it != fields_.end() && (key->key() == Qt::Key_Period || key->key() == Qt::Key_Space)) {
      auto next = it + 1;
      if (next != fields_.end() && !(*it)->text().isEmpty()) {
        (*next)->setFocus();
        (*next)->selectAll();
      }
      return true;
    }
    if (it != fields_.end() && (key->key() == Qt::Key_Right || key->key() == Qt::Key_Left)) {
      const bool right = key->key() == Qt::Key_Right;
      QLineEdit* field = *it;
      const bool atEdge =
          right ? field->cursorPosition() == field->text().size() : field->cursorPosition() == 0;
      if (atEdge) {
        if (right && it + 1 != fields_.end()) {
          it[1]->setFocus();
          it[1]->setCursorPosition(0);
          return true;
        }
        if (!right && it != fields_.begin()) {
          it[-1]->setFocus();
          it[-1]->setCursorPosition(static_cast<int>(it[-1]->text().size()));
          return true;
        }
      }
    }
  }
  return QFrame::eventFilter(watched, event);
}

void IpAddressWidget::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  Layout();
}

void IpAddressWidget::Layout() {
  const QRect inner = contentsRect();
  const int dotWidth = std::max(4, fontMetrics().horizontalAdvance('.') + 2);
  const int fieldWidth = std::max(1, (inner.width() - 3 * dotWidth) / 4);
  int x = inner.left();
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->setGeometry(x, inner.top(), fieldWidth, inner.height());
    x += fieldWidth;
    if (i < dots_.size()) {
      dots_[i]->setGeometry(x, inner.top(), dotWidth, inner.height());
      x += dotWidth;
    }
  }
}

}  // namespace platform::qt
