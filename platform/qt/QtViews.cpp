#include "platform/qt/QtViews.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "platform/UserInput.h"
#include "platform/qt/QtHost.h"

namespace platform::qt {
namespace {

const char* const kControlProperty = "kestrivalControl";

}  // namespace

DialogView::DialogView(QtHost& host, HWND dialog)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(host),
      dialog_(dialog),
      dialogFont_(DialogFont()) {
  setObjectName("dialog");
  setFont(dialogFont_);
  const SIZE base = host_.DialogBaseUnits();
  const RECT client = DialogUnitsToPixels(dialog_->Rect(), base);
  resize(client.right - client.left, client.bottom - client.top);
  setWindowIcon(IconFor(dialog_->Icon(true) ? dialog_->Icon(true) : dialog_->Icon(false)));
  CreateControls();
  focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                             [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
  Sync(true);
}

DialogView::~DialogView() {
  disconnect(focusConnection_);
}

void DialogView::CreateControls() {
  for (const auto& child : dialog_->Children()) {
    if (std::any_of(controls_.begin(), controls_.end(),
                    [&](const auto& c) { return &c->Model() == child.get(); }))
      continue;
    auto view = MakeControlView(*child, this, *this);
    QWidget* widget = view->Widget();
    widget->setProperty(kControlProperty, QVariant::fromValue<void*>(child.get()));
    widget->setObjectName(QString("control%1").arg(child->Id()));
    WatchTree(widget);
    controls_.push_back(std::move(view));
  }
}

void DialogView::Report(const std::function<void(HWND dialog)>& input) {
  if (syncing_) return;
  input(dialog_);
  Input();
}

void DialogView::WatchTree(QWidget* widget) {
  widget->installEventFilter(this);
  for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(this);
}

QFont DialogView::FontOf(HFONT font) {
  if (!font) return dialogFont_;
  auto it = fonts_.find(font);
  if (it == fonts_.end()) it = fonts_.emplace(font, FontFor(*font)).first;
  return it->second;
}

Window* DialogView::ControlOf(QWidget* widget) const {
  for (QWidget* w = widget; w && w != this; w = w->parentWidget()) {
    QVariant v = w->property(kControlProperty);
    if (v.isValid()) return static_cast<Window*>(v.value<void*>());
  }
  return nullptr;
}

QWidget* DialogView::Control(int id) const {
  for (const auto& c : controls_)
    if (c->Model().Id() == id && !c->Model().Destroyed()) return c->Widget();
  return nullptr;
}

QWidget* DialogView::WidgetFor(const Window* control) const {
  for (const auto& c : controls_)
    if (&c->Model() == control) return c->Widget();
  return nullptr;
}

QWidget* DialogView::StatusPart(int part) const {
  for (const auto& c : controls_)
    if (QWidget* widget = c->StatusPart(part)) return widget;
  return nullptr;
}

void DialogView::Sync(bool force) {
  if (dialog_->Destroyed()) return;
  if (dialog_->Children().size() != controls_.size()) CreateControls();
  const unsigned long long version = dialog_->Version();
  if (!force && version == version_) return;
  version_ = version;
  syncing_ = true;
  const QString title = FromAcp(dialog_->Text());
  if (windowTitle() != title) setWindowTitle(title);
  if (const IconImage* icon = dialog_->Icon(true) ? dialog_->Icon(true) : dialog_->Icon(false))
    setWindowIcon(IconFor(icon));
  for (auto& c : controls_) {
    if (force || c->Changed()) SyncControl(*c);
  }
  // The focus follows the model when the model moved it (a failed exchange, SetFocus).
  Window* focus = dialog_->Focus();
  if (focus != lastFocus_) {
    lastFocus_ = focus;
    if (focus && ControlOf(QApplication::focusWidget()) != focus) {
      if (QWidget* w = Control(focus->Id())) w->setFocus(Qt::OtherFocusReason);
    }
  }
  syncing_ = false;
}

void DialogView::SyncControl(ControlView& view) {
  view.Sync(host_.DialogBaseUnits(), FontOf(view.Model().Font()));
}

void DialogView::Input() {
  host_.Schedule();
}

void DialogView::OnFocusChanged(QWidget* now) {
  if (syncing_ || !now) return;
  Window* control = ControlOf(now);
  if (!control || now->window() != this) return;
  lastFocus_ = control;
  if (dialog_->Focus() != control) {
    UserFocus(dialog_, control->Id());
    Input();
  }
}

void DialogView::RightPress(QPoint client) {
  UserRightClick(dialog_, POINT{client.x(), client.y()}, host_.DialogBaseUnits());
  Input();
}

bool DialogView::HandleKey(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      UserKeyEnter(dialog_);
      break;
    case Qt::Key_Escape:
      UserKeyEscape(dialog_);
      break;
    default:
      return false;
  }
  Input();
  return true;
}

void DialogView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    RightPress(event->position().toPoint());
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void DialogView::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event->key())) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool DialogView::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget && widget->window() == this) {
    if (event->type() == QEvent::MouseButtonPress) {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::RightButton) {
        // The model decides whether the press reaches the dialog (it does not over a control
        // that takes mouse input itself).
        RightPress(widget->mapTo(this, mouse->position().toPoint()));
        return true;
      }
    } else if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)
        if (HandleKey(key->key())) return true;
    } else if (event->type() == QEvent::ContextMenu) {
      return true;  // the right-button press went to the model already
    }
  }
  return QWidget::eventFilter(watched, event);
}

void DialogView::closeEvent(QCloseEvent* event) {
  // The close box is the dialog's Cancel; the window goes when the model has ended.
  event->ignore();
  UserClose(dialog_);
  Input();
}

void DialogView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    const bool iconic = isMinimized();
    if (iconic != dialog_->Iconic()) {
      UserSetIconic(dialog_, iconic);
      Input();
    }
  }
  QWidget::changeEvent(event);
}

}  // namespace platform::qt
