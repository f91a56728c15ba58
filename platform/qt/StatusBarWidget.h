// The status bar of the desktop host as a Qt widget. Internal to platform/qt.
#pragma once

#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <vector>

namespace platform::qt {

// The two-part status bar: each part a sunken panel from the previous edge to its right edge
// (-1: the right end of the bar).
class StatusBarWidget : public QWidget {
 public:
  explicit StatusBarWidget(QWidget* parent);
  void SetParts(const std::vector<int>& edges, const std::vector<QString>& texts);
  QLabel* Part(int i) const;
  void setFont(const QFont& font);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
  std::vector<int> edges_;
  std::vector<QLabel*> parts_;
};

}  // namespace platform::qt
