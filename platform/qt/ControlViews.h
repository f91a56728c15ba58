// One view per kind of control of the window model: each makes its widget, brings it in line with
// the model and reports what the user does with it. Internal to platform/qt.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "platform/Window.h"

class QWidget;

namespace platform::qt {

// The model's 8-bit texts (code page 936) as Qt text, and back.
QString FromAcp(const std::string& text);
std::string ToAcp(const QString& text);

// Where the views report the user's input: `input` tells the model of the dialog, unless the
// widget changed because a view was bringing it in line with the model (a view never echoes its
// own writes); then the host delivers what the model posted.
class InputSink {
 public:
  virtual void Report(const std::function<void(HWND dialog)>& input) = 0;

 protected:
  ~InputSink() = default;
};

class ControlView {
 public:
  virtual ~ControlView() = default;
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  Window& Model() const { return model_; }
  QWidget* Widget() const { return widget_; }
  // True when the model changed since the last Sync.
  bool Changed() const { return model_.Version() != version_; }
  // Brings the widget in line with the model: its content, font, rectangle (`base`: the dialog
  // base units), enabling and visibility. The widget's signals stay blocked meanwhile.
  void Sync(SIZE base, const QFont& font);
  // A part of a status bar; nullptr for other controls and for a part the bar does not have.
  virtual QWidget* StatusPart(int) const { return nullptr; }

 protected:
  ControlView(Window& model, QWidget* widget) : model_(model), widget_(widget) {}
  // Text, items, selection or fields; may change the rectangle the widget takes.
  virtual void SyncContent(QRect& rect, const QFont& font) = 0;
  virtual void ApplyFont(const QFont& font);
  // Whether mouse presses go through to the dialog: for a disabled control, as on Windows.
  virtual bool PassesMouse() const { return !model_.Enabled(); }
  // A caption that the rectangle clips shows its whole text as a tooltip.
  void TipClippedCaption(const QString& text, const QRect& rect, const QFont& font, int margin);

 private:
  Window& model_;
  QWidget* widget_;
  unsigned long long version_ = ~0ull;
};

// The view for the kind of `model`, its widget a child of `parent`.
std::unique_ptr<ControlView> MakeControlView(Window& model, QWidget* parent, InputSink& input);

}  // namespace platform::qt
