#include "platform/qt/ControlViews.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <vector>

#include "platform/Host.h"
#include "platform/UserInput.h"
#include "platform/kernel.h"
#include "platform/qt/IpAddressWidget.h"
#include "platform/qt/StatusBarWidget.h"

namespace platform::qt {
namespace {

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

class ButtonView final : public ControlView {
 public:
  ButtonView(Window& model, QWidget* parent, InputSink& input)
      : ControlView(model, new QPushButton(parent)) {
    button_->setAutoDefault(false);
    button_->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(button_, &QPushButton::clicked, button_, [&input, id = model.Id()] {
      input.Report([id](HWND dialog) { UserClick(dialog, id); });
    });
  }

 private:
  void SyncContent(QRect& rect, const QFont& font) override {
    const QString text = FromAcp(Model().Text());
    if (button_->text() != text) button_->setText(text);
    TipClippedCaption(text, rect, font, 8);
  }

  QPushButton* button_ = static_cast<QPushButton*>(Widget());
};

class GroupBoxView final : public ControlView {
 public:
  GroupBoxView(Window& model, QWidget* parent) : ControlView(model, new QGroupBox(parent)) {
    // The caption sits on the frame's top line, as a Windows group box draws it.
    box_->setStyleSheet(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }");
    box_->setAttribute(Qt::WA_TransparentForMouseEvents);
    box_->setFocusPolicy(Qt::NoFocus);
    box_->lower();  // beneath the controls it surrounds
  }

 private:
  void SyncContent(QRect&, const QFont&) override {
    const QString text = FromAcp(Model().Text());
    if (box_->title() != text) box_->setTitle(text);
  }
  bool PassesMouse() const override { return true; }

  QGroupBox* box_ = static_cast<QGroupBox*>(Widget());
};

class StaticView final : public ControlView {
 public:
  StaticView(Window& model, QWidget* parent) : ControlView(model, new QLabel(parent)) {
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    const Qt::Alignment h = (model.Style() & SS_RIGHT)    ? Qt::AlignRight
                            : (model.Style() & SS_CENTER) ? Qt::AlignHCenter
                                                          : Qt::AlignLeft;
    label_->setAlignment(h | Qt::AlignTop);
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 private:
  void SyncContent(QRect& rect, const QFont& font) override {
    const QString text = FromAcp(Model().Text());
    if (label_->text() != text) label_->setText(text);
    TipClippedCaption(text, rect, font, 0);
  }
  bool PassesMouse() const override { return true; }

  QLabel* label_ = static_cast<QLabel*>(Widget());
};

class EditView final : public ControlView {
 public:
  EditView(Window& model, QWidget* parent, InputSink& input)
      : ControlView(model, new QLineEdit(parent)) {
    QObject::connect(edit_, &QLineEdit::textEdited, edit_,
                     [&input, id = model.Id()](const QString& text) {
                       input.Report([&](HWND dialog) { UserType(dialog, id, ToAcp(text)); });
                     });
  }

 private:
  void SyncContent(QRect&, const QFont&) override {
    const QString text = FromAcp(Model().Text());
    if (edit_->text() != text) {
      edit_->setText(text);
      if (!edit_->hasFocus()) edit_->setCursorPosition(0);  // a long text shows its beginning
    }
    if (Model().EditSelection() != selection_) {
      selection_ = Model().EditSelection();
      auto [start, end] = selection_;
      if (end < 0 || end > edit_->text().size()) end = static_cast<int>(edit_->text().size());
      if (start >= 0 && start <= end) edit_->setSelection(start, end - start);
    }
  }

  QLineEdit* edit_ = static_cast<QLineEdit*>(Widget());
  std::pair<int, int> selection_{0, 0};  // the model's selection last shown
};

class ComboBoxView final : public ControlView {
 public:
  ComboBoxView(Window& model, QWidget* parent, InputSink& input)
      : ControlView(model, new QComboBox(parent)) {
    box_->setEditable(false);
    box_->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(box_, &QComboBox::activated, box_, [&input, id = model.Id()](int index) {
      input.Report([=](HWND dialog) { UserSelect(dialog, id, index); });
    });
  }

 private:
  void SyncContent(QRect& rect, const QFont& font) override {
    const QStringList items = ItemsOf(Model());
    if (ItemsOf(*box_) != items) {
      box_->clear();
      box_->addItems(items);
    }
    if (box_->currentIndex() != Model().Selection()) box_->setCurrentIndex(Model().Selection());
    // The template height is the dropped list; the closed box is one line high.
    const int itemHeight = QFontMetrics(font).height();
    const int closed = itemHeight + 8;
    box_->setMaxVisibleItems(std::max(1, (rect.height() - closed) / std::max(1, itemHeight)));
    rect.setHeight(closed);
  }

  QComboBox* box_ = static_cast<QComboBox*>(Widget());
};

class ListBoxView final : public ControlView {
 public:
  ListBoxView(Window& model, QWidget* parent, InputSink& input)
      : ControlView(model, new QListWidget(parent)) {
    list_->setSortingEnabled(false);  // the model keeps the sorted order
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int id = model.Id();
    QObject::connect(list_, &QListWidget::currentRowChanged, list_, [&input, id](int row) {
      input.Report([=](HWND dialog) { UserSelect(dialog, id, row); });
    });
    QObject::connect(list_, &QListWidget::itemDoubleClicked, list_, [&input, id](QListWidgetItem*) {
      input.Report([id](HWND dialog) { UserDoubleClick(dialog, id); });
    });
  }

 private:
  void SyncContent(QRect&, const QFont&) override {
    const QStringList items = ItemsOf(Model());
    if (ItemsOf(*list_) != items) {
      list_->clear();
      list_->addItems(items);
    }
    if (list_->currentRow() != Model().Selection()) {
      list_->setCurrentRow(Model().Selection());
      if (Model().Selection() < 0) list_->clearSelection();
    }
  }

  QListWidget* list_ = static_cast<QListWidget*>(Widget());
};

class IpAddressView final : public ControlView {
 public:
  IpAddressView(Window& model, QWidget* parent, InputSink& input)
      : ControlView(model, new IpAddressWidget(parent)) {
    ip_->onEdited = [&input, id = model.Id(), ip = ip_] {
      input.Report([&](HWND dialog) { UserSetIp(dialog, id, ip->Fields()); });
    };
  }

 private:
  void SyncContent(QRect&, const QFont&) override { ip_->SetFields(Model().Ip()); }
  void ApplyFont(const QFont& font) override { ip_->setFont(font); }

  IpAddressWidget* ip_ = static_cast<IpAddressWidget*>(Widget());
};

class StatusBarView final : public ControlView {
 public:
  StatusBarView(Window& model, QWidget* parent) : ControlView(model, new StatusBarWidget(parent)) {}
  QWidget* StatusPart(int part) const override { return bar_->Part(part); }

 private:
  void SyncContent(QRect&, const QFont&) override {
    std::vector<QString> texts;
    for (std::size_t i = 0; i < std::max<std::size_t>(Model().PartEdges().size(), 1); ++i)
      texts.push_back(FromAcp(Model().PartText(static_cast<int>(i))));
    bar_->SetParts(Model().PartEdges(), texts);
  }
  void ApplyFont(const QFont& font) override { bar_->setFont(font); }
  bool PassesMouse() const override { return true; }

  StatusBarWidget* bar_ = static_cast<StatusBarWidget*>(Widget());
};

// A kind of window that is no control (a dialog inside the dialog): an empty widget.
class PlainView final : public ControlView {
 public:
  PlainView(Window& model, QWidget* parent) : ControlView(model, new QWidget(parent)) {}

 private:
  void SyncContent(QRect&, const QFont&) override {}
};

}  // namespace

QString FromAcp(const std::string& text) {
  return QString::fromStdString(AcpToUtf8(text));
}

std::string ToAcp(const QString& text) {
  return Utf8ToAcp(text.toStdString());
}

void ControlView::Sync(SIZE base, const QFont& font) {
  version_ = model_.Version();
  const QSignalBlocker block(widget_);
  QRect r =
      ToQRect(model_.RectInPixels() ? model_.Rect() : DialogUnitsToPixels(model_.Rect(), base));
  SyncContent(r, font);
  if (widget_->font() != font) ApplyFont(font);
  if (widget_->geometry() != r) widget_->setGeometry(r);
  widget_->setEnabled(model_.Enabled());
  widget_->setAttribute(Qt::WA_TransparentForMouseEvents, PassesMouse());
  const bool visible = model_.ReallyVisible() && !model_.Destroyed();
  if (widget_->isVisibleTo(widget_->parentWidget()) != visible) widget_->setVisible(visible);
}

void ControlView::ApplyFont(const QFont& font) {
  widget_->setFont(font);
}

void ControlView::TipClippedCaption(const QString& text, const QRect& rect, const QFont& font,
                                    int margin) {
  const bool clipped = QFontMetrics(font).horizontalAdvance(text) + margin > rect.width();
  const QString tip = clipped ? text : QString();
  if (widget_->toolTip() != tip) widget_->setToolTip(tip);
}

std::unique_ptr<ControlView> MakeControlView(Window& model, QWidget* parent, InputSink& input) {
  switch (model.Kind()) {
    case WindowKind::Button:
      return std::make_unique<ButtonView>(model, parent, input);
    case WindowKind::GroupBox:
      return std::make_unique<GroupBoxView>(model, parent);
    case WindowKind::Static:
      return std::make_unique<StaticView>(model, parent);
    case WindowKind::Edit:
      return std::make_unique<EditView>(model, parent, input);
    case WindowKind::ComboBox:
      return std::make_unique<ComboBoxView>(model, parent, input);
    case WindowKind::ListBox:
      return std::make_unique<ListBoxView>(model, parent, input);
    case WindowKind::IpAddress:
      return std::make_unique<IpAddressView>(model, parent, input);
    case WindowKind::StatusBar:
      return std::make_unique<StatusBarView>(model, parent);
    case WindowKind::Dialog:
      break;
  }
  return std::make_unique<PlainView>(model, parent);
}

}  // namespace platform::qt
