#include "app/qt/qt_form1.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <stdexcept>

#include "app/qt/display_text.h"
#include "app/qt/drop_down_box.h"
#include "app/qt/list_pick.h"
#include "app/qt/message_boxes.h"
#include "app/qt/response_view.h"
#include "app/qt/spin_edit.h"

namespace vidideza {

TQtForm1::TQtForm1(std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(std::move(dialogs)) {
  BuildControls();
  SetTabOrder();
  form_ = std::make_unique<TForm1>(*this);
  ConnectHandlers();
}

TQtForm1::~TQtForm1() {
  // The widgets go after this body: what they report while they go reaches no handler.
  Find<QLineEdit>("Edit8")->removeEventFilter(this);
  for (const auto& [name, control] : controls_) {
    QObject::disconnect(control, nullptr, this, nullptr);
  }
  // The link threads may still hand events to the form: end them while the widgets stand.
  form_.reset();
}

void TQtForm1::RunHandler(const std::function<void(TForm1&)>& handler) {
  if (form_) {
    TForm1& form = *form_;
    form.Guard().Run([&] { handler(form); });
  }
}

QTimer* TQtForm1::FindTimer(std::string_view name) const {
  return Find<QTimer>(name);
}

void TQtForm1::ConnectHandlers() {
  const std::pair<const char*, void (TForm1::*)()> clicks[] = {
      {"Button1", &TForm1::Button1Click}, {"Button2", &TForm1::Button2Click},
      {"Button3", &TForm1::Button3Click}, {"Button4", &TForm1::Button4Click},
      {"Button5", &TForm1::Button5Click}, {"Button6", &TForm1::Button6Click},
      {"Button7", &TForm1::Button7Click}, {"Button8", &TForm1::Button8Click},
      {"Button9", &TForm1::Button9Click}, {"Button10", &TForm1::Button10Click}};
  for (const auto& [button, handler] : clicks) {
    connect(Find<QPushButton>(button), &QPushButton::clicked, this, Guarded(handler));
  }
  connect(Find<QLineEdit>("AdvSpinEdit1"), &QLineEdit::textChanged, this,
          Guarded(&TForm1::AdvSpinEdit1Change));
  // Editable selectors: only what the user types or picks runs a handler, never text set by
  // the program.
  const std::pair<const char*, void (TForm1::*)()> selectors[] = {
      {"ComboBox2", &TForm1::ComboBox2Change}, {"ComboBox3", &TForm1::ComboBox3Change}};
  for (const auto& [name, handler] : selectors) {
    auto* box = Find<QComboBox>(name);
    connect(box->lineEdit(), &QLineEdit::textEdited, this, Guarded(handler));
    connect(box, &QComboBox::textActivated, this, Guarded(handler));
  }
  // The port list is read anew each time it opens: adapters come and go while the tool runs.
  static_cast<TDropDownBox*>(Find<QComboBox>("ComboBox3"))
      ->SetOnDropDown(Guarded(&TForm1::ComboBox3DropDown));
  // The card selector changes fields the technician may have typed: only a pick from its list
  // is a card choice, never leaving it or typing into it.
  new ListPick(Find<QComboBox>("ComboBox4"), Guarded(&TForm1::ComboBox4Change));
  for (int i = 1; i <= 6; ++i) {
    auto* radio = Find<QRadioButton>("AdvOfficeRadioButton" + std::to_string(i));
    // Toggled on only: clicking the button that is already selected runs nothing.
    connect(radio, &QRadioButton::toggled, this, [this](bool on) {
      if (on) {
        RunHandler(&TForm1::AdvOfficeRadioButtonClick);
      }
    });
  }
  connect(Find<QLineEdit>("Edit11"), &QLineEdit::textEdited, this, Guarded(&TForm1::Edit11Change));
  Find<QLineEdit>("Edit8")->installEventFilter(this);
  connect(FindTimer("Timer1"), &QTimer::timeout, this, Guarded(&TForm1::Timer1Timer));
  connect(FindTimer("Timer2"), &QTimer::timeout, this, Guarded(&TForm1::Timer2Timer));
  connect(FindTimer("Timer3"), &QTimer::timeout, this, Guarded(&TForm1::Timer3Timer));
  auto* pages = Find<QTabWidget>("PageControl1");
  // A mouse pick of a tab first takes the focus to the tab row, so the old page's field runs
  // its exit handler before the new page's show action.
  connect(pages->tabBar(), &QTabBar::tabBarClicked, this, [pages](int index) {
    if (index >= 0 && index != pages->currentIndex()) {
      pages->tabBar()->setFocus(Qt::MouseFocusReason);
    }
  });
  connect(pages, &QTabWidget::currentChanged, this, [this](int index) {
    RunHandler(index == 0 ? &TForm1::TabSheet1Show : &TForm1::TabSheet2Show);
  });
}

bool TQtForm1::eventFilter(QObject* watched, QEvent* event) {
  // The field is left when the focus moves to another control of this window; a message box
  // or another program taking the focus for a while is no exit.
  if (event->type() == QEvent::FocusOut && watched == Find<QLineEdit>("Edit8")) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      RunHandler(&TForm1::Edit8Exit);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TQtForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!firstShown_) {
    firstShown_ = true;
    // The page becomes visible with the window; its show action follows once it is painted.
    QTimer::singleShot(0, this, Guarded(&TForm1::TabSheet1Show));
  }
}

// --- the view of the form ---------------------------------------------------------------

std::string TQtForm1::Text(std::string_view control) const {
  const auto found = controls_.find(control);
  if (found != controls_.end()) {
    if (const auto* box = qobject_cast<QComboBox*>(found->second)) {
      return ToBytes(box->currentText());
    }
  }
  return ToBytes(Find<QLineEdit>(control)->text());
}

void TQtForm1::SetText(std::string_view control, const std::string& text) {
  const auto found = controls_.find(control);
  if (found != controls_.end()) {
    if (auto* box = qobject_cast<QComboBox*>(found->second)) {
      box->setEditText(FromBytes(text));
      return;
    }
  }
  Find<QLineEdit>(control)->setText(FromBytes(text));
}

void TQtForm1::SetCaption(std::string_view control, const std::string& caption) {
  auto* label = Find<QLabel>(control);
  label->setText(FromBytes(caption));
  label->adjustSize();
}

void TQtForm1::SetColour(std::string_view control, std::optional<Rgb> colour) {
  auto* edit = Find<QLineEdit>(control);
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, colour ? QColor(colour->red, colour->green, colour->blue)
                                          : QApplication::palette().color(QPalette::Base));
  edit->setPalette(palette);
}

bool TQtForm1::Checked(std::string_view control) const {
  return Find<QRadioButton>(control)->isChecked();
}

void TQtForm1::SetItems(std::string_view control, const std::vector<std::string>& items) {
  auto* box = Find<QComboBox>(control);
  const QString text = box->currentText();
  const QSignalBlocker quiet(box);
  box->clear();
  for (const std::string& item : items) {
    box->addItem(FromBytes(item));
  }
  // The open list marks the item the text names, if one does.
  box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
  box->setEditText(text);
}

void TQtForm1::SetItemHints(std::string_view control, const std::vector<std::string>& hints) {
  auto* box = Find<QComboBox>(control);
  for (int i = 0; i < box->count() && i < static_cast<int>(hints.size()); ++i) {
    const std::string& hint = hints[static_cast<std::size_t>(i)];
    box->setItemData(i, hint.empty() ? QVariant() : QVariant(PlainToolTip(hint)), Qt::ToolTipRole);
  }
}

int TQtForm1::ItemIndex(std::string_view control) const {
  return Find<QComboBox>(control)->currentIndex();
}

void TQtForm1::SetItemIndex(std::string_view control, int index) {
  Find<QComboBox>(control)->setCurrentIndex(index);
}

int TQtForm1::ActivePage() const {
  return Find<QTabWidget>("PageControl1")->currentIndex();
}

void TQtForm1::AddResponseLine(std::string_view line) {
  Find<TResponseView>("Memo1")->AddLine(line);
}

void TQtForm1::ClearResponse() {
  Find<TResponseView>("Memo1")->Clear();
}

void TQtForm1::StartTimer(std::string_view timer) {
  QTimer* t = FindTimer(timer);
  if (!t->isActive()) {
    t->start();  // a running timer keeps its period
  }
}

void TQtForm1::StopTimer(std::string_view timer) {
  FindTimer(timer)->stop();
}

void TQtForm1::PostToUiThread(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void TQtForm1::Notice(const std::string& text) {
  dialogs_->Notice(text);
}

bool TQtForm1::Confirm(const std::string& text) {
  return dialogs_->Confirm(text);
}

void TQtForm1::Error(const std::string& text) {
  dialogs_->Error(text);
}

}  // namespace vidideza
