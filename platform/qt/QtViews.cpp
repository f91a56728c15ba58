#include "platform/qt/QtViews.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/UserInput.h"
#include "platform/kernel.h"
#include "platform/qt/QtHost.h"

namespace platform::qt {
namespace {

const char* const kControlProperty = "kestrivalControl";

QString FromAcp(const std::string& text) {
  return QString::fromStdString(AcpToUtf8(text));
}
std::string ToAcp(const QString& text) {
  return Utf8ToAcp(text.toStdString());
}

QRect ToQRect(const RECT& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

QStringList ItemsOf(const Window& w) {
  QStringList list;
  for (const auto& item : w.Items()) list << FromAcp(item);
  return list;
}

QStringList ItemsOf(const QComboBox& box) {
  QStringList list;
  for (int i = 0; i < box.count(); ++i) list << box.itemText(i);
  return list;
}

QStringList ItemsOf(const QListWidget& list) {
  QStringList out;
  for (int i = 0; i < list.count(); ++i) out << list.item(i)->text();
  return out;
}

}  // namespace

// IpAddressWidget.
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

void IpAddressWidget::SetFields(const Window::IpFields& fields) {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    QString text = fields[i] ? QString::number(*fields[i]) : QString();
    if (fields_[i]->text() != text) fields_[i]->setText(text);
  }
}

Window::IpFields IpAddressWidget::Fields() const {
  Window::IpFields out{};
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

// StatusBarWidget.
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

// DialogView.
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
                    [&](const Entry& c) { return c.model == child.get(); }))
      continue;
    QWidget* widget = CreateWidget(*child);
    widget->setProperty(kControlProperty, QVariant::fromValue<void*>(child.get()));
    widget->setObjectName(QString("control%1").arg(child->Id()));
    WatchTree(widget);
    controls_.push_back(Entry{child.get(), widget, ~0ull, {0, 0}});
  }
  // Frames and labels lie beneath the controls they surround.
  for (auto& c : controls_) {
    if (c.model->Kind() == WindowKind::GroupBox) c.widget->lower();
  }
}

QWidget* DialogView::CreateWidget(Window& w) {
  const int id = w.Id();
  switch (w.Kind()) {
    case WindowKind::Button: {
      auto* b = new QPushButton(this);
      b->setAutoDefault(false);
      b->setFocusPolicy(Qt::StrongFocus);
      connect(b, &QPushButton::clicked, this, [this, id] {
        if (syncing_) return;
        UserClick(dialog_, id);
        Input();
      });
      return b;
    }
    case WindowKind::GroupBox: {
      auto* g = new QGroupBox(this);
      // The caption sits on the frame's top line, as a Windows group box draws it.
      g->setStyleSheet(
          "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
          "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
          " left: 6px; padding: 0 2px; }");
      g->setAttribute(Qt::WA_TransparentForMouseEvents);
      g->setFocusPolicy(Qt::NoFocus);
      return g;
    }
    case WindowKind::Static: {
      auto* l = new QLabel(this);
      l->setTextFormat(Qt::PlainText);
      l->setWordWrap(true);
      Qt::Alignment h = (w.Style() & SS_RIGHT)    ? Qt::AlignRight
                        : (w.Style() & SS_CENTER) ? Qt::AlignHCenter
                                                  : Qt::AlignLeft;
      l->setAlignment(h | Qt::AlignTop);
      l->setAttribute(Qt::WA_TransparentForMouseEvents);
      return l;
    }
    case WindowKind::Edit: {
      auto* e = new QLineEdit(this);
      connect(e, &QLineEdit::textEdited, this, [this, id](const QString& text) {
        if (syncing_) return;
        UserType(dialog_, id, ToAcp(text));
        Input();
      });
      return e;
    }
    case WindowKind::ComboBox: {
      auto* c = new QComboBox(this);
      c->setEditable(false);
      c->setInsertPolicy(QComboBox::NoInsert);
      connect(c, &QComboBox::activated, this, [this, id](int index) {
        if (syncing_) return;
        UserSelect(dialog_, id, index);
        Input();
      });
      return c;
    }
    case WindowKind::ListBox: {
      auto* l = new QListWidget(this);
      l->setSortingEnabled(false);  // the model keeps the sorted order
      l->setSelectionMode(QAbstractItemView::SingleSelection);
      l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      connect(l, &QListWidget::currentRowChanged, this, [this, id](int row) {
        if (syncing_) return;
        UserSelect(dialog_, id, row);
        Input();
      });
      connect(l, &QListWidget::itemDoubleClicked, this, [this, id](QListWidgetItem*) {
        if (syncing_) return;
        UserDoubleClick(dialog_, id);
        Input();
      });
      return l;
    }
    case WindowKind::IpAddress: {
      auto* ip = new IpAddressWidget(this);
      ip->onEdited = [this, id, ip] {
        if (syncing_) return;
        UserSetIp(dialog_, id, ip->Fields());
        Input();
      };
      return ip;
    }
    case WindowKind::StatusBar:
      return new StatusBarWidget(this);
    case WindowKind::Dialog:
      break;
  }
  return new QWidget(this);
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
    if (c.model->Id() == id && !c.model->Destroyed()) return c.widget;
  return nullptr;
}

QWidget* DialogView::WidgetFor(const Window* control) const {
  for (const auto& c : controls_)
    if (c.model == control) return c.widget;
  return nullptr;
}

QWidget* DialogView::StatusPart(int part) const {
  for (const auto& c : controls_)
    if (c.model->Kind() == WindowKind::StatusBar)
      return static_cast<StatusBarWidget*>(c.widget)->Part(part);
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
    if (force || c.model->Version() != c.version) SyncControl(c);
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

void DialogView::SyncControl(Entry& c) {
  Window& m = *c.model;
  QWidget* w = c.widget;
  c.version = m.Version();
  const QSignalBlocker block(w);
  const SIZE base = host_.DialogBaseUnits();
  QRect r = ToQRect(m.RectInPixels() ? m.Rect() : DialogUnitsToPixels(m.Rect(), base));
  const QFont font = FontOf(m.Font());
  const QString text = FromAcp(m.Text());
  switch (m.Kind()) {
    case WindowKind::Button: {
      auto* b = static_cast<QPushButton*>(w);
      if (b->text() != text) b->setText(text);
      break;
    }
    case WindowKind::GroupBox: {
      auto* g = static_cast<QGroupBox*>(w);
      if (g->title() != text) g->setTitle(text);
      break;
    }
    case WindowKind::Static: {
      auto* l = static_cast<QLabel*>(w);
      if (l->text() != text) l->setText(text);
      break;
    }
    case WindowKind::Edit: {
      auto* e = static_cast<QLineEdit*>(w);
      if (e->text() != text) {
        e->setText(text);
        if (!e->hasFocus()) e->setCursorPosition(0);  // a long text shows its beginning
      }
      if (m.EditSelection() != c.editSel) {
        c.editSel = m.EditSelection();
        auto [start, end] = c.editSel;
        if (end < 0 || end > e->text().size()) end = static_cast<int>(e->text().size());
        if (start >= 0 && start <= end) e->setSelection(start, end - start);
      }
      break;
    }
    case WindowKind::ComboBox: {
      auto* box = static_cast<QComboBox*>(w);
      const QStringList items = ItemsOf(m);
      if (ItemsOf(*box) != items) {
        box->clear();
        box->addItems(items);
      }
      if (box->currentIndex() != m.Selection()) box->setCurrentIndex(m.Selection());
      // The template height is the dropped list; the closed box is one line high.
      const int itemHeight = QFontMetrics(font).height();
      const int closed = itemHeight + 8;
      box->setMaxVisibleItems(std::max(1, (r.height() - closed) / std::max(1, itemHeight)));
      r.setHeight(closed);
      break;
    }
    case WindowKind::ListBox: {
      auto* list = static_cast<QListWidget*>(w);
      const QStringList items = ItemsOf(m);
      if (ItemsOf(*list) != items) {
        list->clear();
        list->addItems(items);
      }
      if (list->currentRow() != m.Selection()) {
        list->setCurrentRow(m.Selection());
        if (m.Selection() < 0) list->clearSelection();
      }
      break;
    }
    case WindowKind::IpAddress:
      static_cast<IpAddressWidget*>(w)->SetFields(m.Ip());
      break;
    case WindowKind::StatusBar: {
      std::vector<QString> texts;
      for (std::size_t i = 0; i < std::max<std::size_t>(m.PartEdges().size(), 1); ++i)
        texts.push_back(FromAcp(m.PartText(static_cast<int>(i))));
      static_cast<StatusBarWidget*>(w)->SetParts(m.PartEdges(), texts);
      break;
    }
    case WindowKind::Dialog:
      break;
  }
  // A caption that the template's size clips shows its whole text as a tooltip.
  if (m.Kind() == WindowKind::Button || m.Kind() == WindowKind::Static) {
    const int margin = m.Kind() == WindowKind::Button ? 8 : 0;
    const bool clipped = QFontMetrics(font).horizontalAdvance(text) + margin > r.width();
    const QString tip = clipped ? text : QString();
    if (w->toolTip() != tip) w->setToolTip(tip);
  }
  if (w->font() != font) {
    if (auto* ip = dynamic_cast<IpAddressWidget*>(w))
      ip->setFont(font);
    else if (auto* bar = dynamic_cast<StatusBarWidget*>(w))
      bar->setFont(font);
    else
      w->setFont(font);
  }
  if (w->geometry() != r) w->setGeometry(r);
  w->setEnabled(m.Enabled());
  // Disabled controls let the mouse through to the dialog, as on Windows.
  const bool passMouse = m.Kind() == WindowKind::Static || m.Kind() == WindowKind::GroupBox ||
                         m.Kind() == WindowKind::StatusBar || !m.Enabled();
  w->setAttribute(Qt::WA_TransparentForMouseEvents, passMouse);
  const bool visible = m.ReallyVisible() && !m.Destroyed();
  if (w->isVisibleTo(this) != visible) w->setVisible(visible);
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
