// The widgets of the window, built from the design table. Positions are 96-dpi figures for a
// default font whose line is 13 pixels high, scaled to the font here.
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "app/accessible_names.h"
#include "app/form1_design.h"
#include "app/qt/drop_down_box.h"
#include "app/qt/message_boxes.h"
#include "app/qt/qt_form1.h"
#include "app/qt/response_view.h"
#include "app/qt/spin_edit.h"

namespace vidideza {

namespace {

constexpr int kDesignLineHeight = 13;

// "MS Sans Serif", 11 pixels. Where it is missing, a narrow sans face stands in: the design's
// captions are laid out for that bitmap face, and Arial or Liberation Sans, wider at the
// same line height, would clip them. Fontconfig's nearest sans face comes last.
QFont DefaultFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                    QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

// The large selector font: "Arial", bold, 27 pixels.
QFont SelectorFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(27);
  font.setBold(true);
  return font;
}

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The design's group frames carry their title on the top line, half a line down, with the
// first control below it; Qt's own frame starts below the title and would run through it.
void DrawTitleOnTheFrameLine(QGroupBox* group) {
  const int half = QFontMetrics(group->font()).height() / 2;
  group->setStyleSheet(QStringLiteral("QGroupBox#%1 { border: 1px solid palette(mid); "
                                      "border-radius: 2px; margin-top: %2px; }"
                                      "QGroupBox#%1::title { subcontrol-origin: margin; "
                                      "subcontrol-position: top left; left: 6px; "
                                      "padding: 0px 2px; }")
                           .arg(group->objectName())
                           .arg(half));
}

}  // namespace

int TQtForm1::Scaled(int designPixels) const {
  return qRound(designPixels * scale_);
}

void TQtForm1::BuildControls() {
  setFont(DefaultFont());
  scale_ = static_cast<double>(QFontMetrics(font()).height()) / kDesignLineHeight;
  for (const ControlDesign& design : Form1Design()) {
    QObject* control = BuildControl(design);
    control->setObjectName(Latin1(design.name));
    controls_.emplace(std::string(design.name), control);
  }
  // Each field is labelled by the label beside it: screen readers that name a selector by its
  // label (not by its text) find it so.
  for (const ControlDesign& design : Form1Design()) {
    if (const std::string_view label = LabelOf(design.name); !label.empty()) {
      Find<QLabel>(label)->setBuddy(Find<QWidget>(design.name));
    }
  }
  DrawGroupFrames();
}

QObject* TQtForm1::BuildControl(const ControlDesign& design) {
  using Kind = ControlKind;
  if (design.kind == Kind::kForm) {
    setWindowTitle(Latin1(design.text));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    // The design gives the outer size: the client area is that less the frame and caption.
    move(design.left, design.top);
    resize(Scaled(design.width - 8), Scaled(design.height - 34));
    return this;
  }
  if (design.kind == Kind::kTimer) {
    auto* timer = new QTimer(this);
    timer->setInterval(design.interval);
    // The periods are the unit's: the default coarse type lets them drift by up to 5 %.
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
  }
  QWidget* parent = Find<QWidget>(design.parent);
  const auto place = [&](QWidget* widget) {
    widget->setGeometry(Scaled(design.left), Scaled(design.top), Scaled(design.width),
                        Scaled(design.height));
    return widget;
  };
  QWidget* widget = nullptr;
  switch (design.kind) {
    case Kind::kLabel: {
      auto* label = new QLabel(Latin1(design.text), parent);
      label->setTextFormat(Qt::PlainText);  // captions may show what a unit sent
      label->move(Scaled(design.left), Scaled(design.top));
      label->adjustSize();
      widget = label;
      break;
    }
    case Kind::kSpinCaption: {
      auto* label = new QLabel(Latin1(design.text), parent);
      label->setTextFormat(Qt::PlainText);
      label->adjustSize();
      label->move(Scaled(design.left), Scaled(design.top) - label->height());
      widget = label;
      break;
    }
    case Kind::kEdit:
      widget = place(new QLineEdit(Latin1(design.text), parent));
      break;
    case Kind::kButton: {
      auto* button = new QPushButton(Latin1(design.text), parent);
      button->setAutoDefault(false);
      widget = place(button);
      break;
    }
    case Kind::kMemo:
      widget = place(new TResponseView(parent));
      break;
    case Kind::kGroupBox:
    case Kind::kFrame:
      widget = place(new QGroupBox(Latin1(design.text), parent));
      break;
    case Kind::kSpinEdit: {
      auto* spin = new TAdvSpinEdit(design.minimum, design.maximum, parent);
      spin->setText(Latin1(design.text));
      widget = place(spin);
      break;
    }
    case Kind::kComboBox: {
      auto* box = new TDropDownBox(parent);
      box->setEditable(true);
      box->setInsertPolicy(QComboBox::NoInsert);
      for (const std::string& item : design.items) {
        box->addItem(Latin1(item));
      }
      box->setEditText(Latin1(design.text));
      widget = place(box);
      break;
    }
    case Kind::kRadioButton: {
      auto* radio = new QRadioButton(Latin1(design.text), parent);
      // Only the selected button is a Tab stop; the arrow keys move the choice within the group.
      radio->setFocusPolicy(Qt::ClickFocus);
      QObject::connect(radio, &QRadioButton::toggled, radio, [radio](bool on) {
        radio->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
      });
      radio->setChecked(design.checked);
      widget = place(radio);
      break;
    }
    case Kind::kPageControl:
      widget = place(new QTabWidget(parent));
      break;
    case Kind::kTabSheet: {
      auto* pages = qobject_cast<QTabWidget*>(parent);
      widget = new QWidget;
      pages->addTab(widget, Latin1(design.text));
      pages->setCurrentIndex(0);
      break;
    }
    case Kind::kForm:
    case Kind::kTimer:
      break;
  }
  if (!design.tooltip.empty()) {
    widget->setToolTip(Latin1(design.tooltip));
  }
  // A label is read as its caption, whatever the form sets it to; the rest by the design.
  if (design.kind != Kind::kLabel && design.kind != Kind::kSpinCaption) {
    widget->setAccessibleName(Latin1(AccessibleName(design.name)));
  }
  if (design.font == FontRole::kSelector) {
    widget->setFont(SelectorFont());
  }
  return widget;
}

void TQtForm1::DrawGroupFrames() {
  std::vector<QGroupBox*> groups;
  for (const ControlDesign& design : Form1Design()) {
    if (design.kind == ControlKind::kGroupBox || design.kind == ControlKind::kFrame) {
      groups.push_back(Find<QGroupBox>(design.name));
    }
  }
  // Controls under a style sheet take the application's font unless they name their own, so
  // they are given the window's before the frames get theirs.
  for (QGroupBox* group : groups) {
    for (QWidget* control : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (!control->testAttribute(Qt::WA_SetFont)) {
        control->setFont(font());
      }
    }
  }
  for (QGroupBox* group : groups) {
    DrawTitleOnTheFrameLine(group);
  }
}

void TQtForm1::SetTabOrder() {
  std::vector<const ControlDesign*> stops;
  for (const ControlDesign& design : Form1Design()) {
    if (design.tabOrder >= 0) {
      stops.push_back(&design);
    }
  }
  std::sort(stops.begin(), stops.end(), [](const ControlDesign* a, const ControlDesign* b) {
    return a->tabOrder < b->tabOrder;
  });
  for (std::size_t i = 1; i < stops.size(); ++i) {
    QWidget::setTabOrder(Find<QWidget>(stops[i - 1]->name), Find<QWidget>(stops[i]->name));
  }
}

}  // namespace vidideza
