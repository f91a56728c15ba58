// The IP address control of the desktop host as a Qt widget. Internal to platform/qt.
#pragma once

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <functional>

#include "platform/IpAddress.h"

namespace platform::qt {

// Four number fields with dots between, digits only, each 0 to 255 or blank.
class IpAddressWidget : public QFrame {
 public:
  explicit IpAddressWidget(QWidget* parent);
  void SetFields(const IpFields& fields);
  IpFields Fields() const;
  QLineEdit* Field(int i) const { return fields_[static_cast<std::size_t>(i)]; }
  // Called after the user changed a field.
  std::function<void()> onEdited;
  void setFont(const QFont& font);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
  std::array<QLineEdit*, 4> fields_{};
  std::array<QLabel*, 3> dots_{};
};

}  // namespace platform::qt
