#include "platform/qt/StatusBarWidget.h"

#include <algorithm>

namespace platform::qt {

StatusBarWidget::StatusBarWidget(QWidget* parent) : QWidget(parent) {}

QLabel* StatusBarWidget::Part(int i) const {
  if (i < 0 || static_cast<std::size_t>(i) >= parts_.size()) return nullptr;
  return parts_[static_cast<std::size_t>(i)];
}

void StatusBarWidget::setFont(const QFont& font) {
  QWidget::setFont(font);
  for (auto* p : parts_) p->setFont(font);
}

void StatusBarWidget::SetParts(const std::vector<int>& edges, const std::vector<QString>& texts) {
  while (parts_.size() < std::max<std::size_t>(edges.size(), 1)) {
    auto* label = new QLabel(this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setIndent(3);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString("part%1").arg(parts_.size()));
    label->setFont(font());
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->show();
    parts_.push_back(label);
  }
  edges_ = edges;
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    QString text = i < texts.size() ? texts[i] : QString();
    if (parts_[i]->text() != text) parts_[i]->setText(text);
    parts_[i]->setVisible(i < std::max<std::size_t>(edges.size(), 1));
  }
  Layout();
}

void StatusBarWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void StatusBarWidget::Layout() {
  int left = 0;
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    int right = i < edges_.size() ? edges_[i] : -1;
    if (right < 0 || right > width()) right = width();
    parts_[i]->setGeometry(left, 0, std::max(0, right - left), height());
    left = right;
  }
}

}  // namespace platform::qt
