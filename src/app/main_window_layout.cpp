// The window as designed: every control with its name, caption, content and place. Positions
// are 96-dpi figures for a default font whose line is 13 pixels high, scaled to the font here.
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include "app/main_window.h"
#include "app/spin_edit.h"
#include "serial/serial_device.h"

namespace vidideza {

namespace {

constexpr const char* kWindowTitle = "QVX service tool for QVX-RS     V2.4";
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

QStringList HexDigitItems() {
  QStringList items;
  for (const char c : std::string_view("0123456789ABCDEF")) {
    items << QString(QLatin1Char(c));
  }
  return items;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
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

int TForm1::Scaled(int designPixels) const {
  return qRound(designPixels * scale_);
}

void TForm1::BuildControls() {
  setFont(DefaultFont());
  scale_ = static_cast<double>(QFontMetrics(font()).height()) / kDesignLineHeight;
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QLatin1String(kWindowTitle));
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
  // Outer size 790 x 590 at 181, 112: the client area is that less the frame and caption.
  move(181, 112);
  resize(Scaled(790 - 8), Scaled(590 - 34));

  const auto label = [this](QWidget* parent, const char* name, const char* text, int left,
                            int top) {
    auto* l = Named(new QLabel(QLatin1String(text), parent), name);
    l->move(Scaled(left), Scaled(top));
    l->adjustSize();
    return l;
  };
  const auto place = [this](QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(Scaled(left), Scaled(top), Scaled(width), Scaled(height));
  };
  const auto edit = [&](QWidget* parent, const char* name, const char* text, int left, int top,
                        int width) {
    auto* e = Named(new QLineEdit(QLatin1String(text), parent), name);
    place(e, left, top, width, 21);
    return e;
  };
  const auto button = [&](QWidget* parent, const char* name, const char* text, int left, int top,
                          int width, int height) {
    auto* b = Named(new QPushButton(QLatin1String(text), parent), name);
    b->setAutoDefault(false);
    place(b, left, top, width, height);
    return b;
  };
  const auto selector = [&](QWidget* parent, const char* name, const QStringList& items,
                            const char* text, int left, int top, int width, int height) {
    auto* c = Named(new QComboBox(parent), name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setEditText(QLatin1String(text));
    place(c, left, top, width, height);
    return c;
  };

  // Command console.
  Label1 = label(this, "Label1", "Command A", 8, 16);
  Label2 = label(this, "Label2", "Command B", 8, 48);
  Label4 = label(this, "Label4", "Command C", 8, 80);
  Label5 = label(this, "Label5", "Command D", 8, 112);
  Label6 = label(this, "Label6", "Command E", 8, 144);
  Label7 = label(this, "Label7", "Command F", 8, 176);
  Edit1 = edit(this, "Edit1", "A000A,ON", 80, 16, 313);
  Edit3 = edit(this, "Edit3", "A000A,OF", 80, 48, 313);
  Edit4 = edit(this, "Edit4", "A000A,MC,T18,FL", 80, 80, 313);
  Edit5 = edit(this, "Edit5", "A000A,MH,T24,FM", 80, 112, 313);
  Edit6 = edit(this, "Edit6", "A000A,SV", 80, 144, 313);
  Edit7 = edit(this, "Edit7", "A000A,SF", 80, 176, 313);
  Button1 = button(this, "Button1", "Send A", 400, 16, 65, 25);
  Button3 = button(this, "Button3", "Send B", 400, 48, 65, 25);
  Button4 = button(this, "Button4", "Send C", 400, 80, 65, 25);
  Button5 = button(this, "Button5", "Send D", 400, 112, 65, 25);
  Button6 = button(this, "Button6", "Send E", 400, 144, 65, 25);
  Button7 = button(this, "Button7", "Send F", 400, 176, 65, 25);
  Label3 = label(this, "Label3", "Response", 8, 208);
  Memo1 = Named(new QPlainTextEdit(this), "Memo1");
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setTabChangesFocus(true);
  // The program appends up to millions of lines: an undo history of them would only grow.
  Memo1->setUndoRedoEnabled(false);
  place(Memo1, 80, 208, 385, 337);
  Button2 = button(this, "Button2", "Clear", 8, 232, 57, 25);
  Button2->setToolTip(QStringLiteral("Clear response window"));

  // "Control unit setup".
  GroupBox2 = Named(new QGroupBox(QStringLiteral("Control unit setup"), this), "GroupBox2");
  place(GroupBox2, 472, 208, 129, 337);
  Label8 = label(GroupBox2, "Label8", "QVX-RS or QVX-NET", 8, 16);
  AdvSpinEdit1 = Named(new TAdvSpinEdit(0, 255, GroupBox2), "AdvSpinEdit1");
  AdvSpinEdit1->setFont(SelectorFont());
  AdvSpinEdit1->setText(QStringLiteral("0"));
  place(AdvSpinEdit1, 8, 56, 113, 42);
  AdvSpinEdit1Caption = Named(new QLabel(QStringLiteral("Address of control unit"), GroupBox2),
                              "AdvSpinEdit1Caption");
  AdvSpinEdit1Caption->adjustSize();
  AdvSpinEdit1Caption->move(Scaled(8), Scaled(56 - 4) - AdvSpinEdit1Caption->height());
  Label11 = label(GroupBox2, "Label11", "Hex: ", 8, 104);
  Label10 = label(GroupBox2, "Label10", "Last address of int. port", 8, 152);
  Label12 = label(GroupBox2, "Label12", "(Number of int. ports - 1)", 8, 168);
  ComboBox1 = selector(GroupBox2, "ComboBox1", HexDigitItems(), "0", 8, 188, 113, 40);
  ComboBox1->setFont(SelectorFont());
  Button9 = button(GroupBox2, "Button9", "Set control unit", 8, 288, 113, 41);

  // "Interface port setup".
  GroupBox1 = Named(new QGroupBox(QStringLiteral("Interface port setup"), this), "GroupBox1");
  place(GroupBox1, 608, 208, 161, 337);
  Label9 = label(GroupBox1, "Label9", "QVX-IR or QVX-WIRE", 8, 16);
  Label13 = label(GroupBox1, "Label13", "Interface port address", 8, 40);
  ComboBox2 = selector(GroupBox1, "ComboBox2", HexDigitItems(), "0", 8, 55, 145, 40);
  ComboBox2->setFont(SelectorFont());
  AdvOfficeRadioGroup1 = Named(new QGroupBox(QStringLiteral("IR code (WIRE protocol)"), GroupBox1),
                               "AdvOfficeRadioGroup1");
  place(AdvOfficeRadioGroup1, 8, 96, 145, 185);
  static constexpr const char* kCodes[6] = {"A (Master RIZ-IDU)",  "B (Slave RIZ-IDU)",
                                            "C (Master VEZ-UZIR)", "D (Slave VEZ-UZIR)",
                                            "E (Master ZIR-ARU)",  "F (Slave ZIR-ARU)"};
  static constexpr int kCodeTops[6] = {112, 136, 168, 192, 232, 256};
  for (int i = 0; i < 6; ++i) {
    const std::string name = "AdvOfficeRadioButton" + std::to_string(i + 1);
    auto* radio = new QRadioButton(QLatin1String(kCodes[i]), GroupBox1);
    radio->setObjectName(QString::fromStdString(name));
    place(radio, 16, kCodeTops[i], 129, 20);
    // Only the selected button is a Tab stop; the arrow keys move the choice within the group.
    radio->setFocusPolicy(Qt::ClickFocus);
    QObject::connect(radio, &QRadioButton::toggled, radio, [radio](bool on) {
      radio->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
    });
    AdvOfficeRadioButton[i] = radio;
  }
  AdvOfficeRadioButton[0]->setChecked(true);
  Button8 = button(GroupBox1, "Button8", "Set interface port", 8, 288, 145, 41);

  // The link selector and its two pages.
  PageControl1 = Named(new QTabWidget(this), "PageControl1");
  place(PageControl1, 472, 8, 297, 193);
  TabSheet1 = Named(new QWidget, "TabSheet1");
  TabSheet2 = Named(new QWidget, "TabSheet2");
  PageControl1->addTab(TabSheet1, QStringLiteral("QVX-RS"));
  PageControl1->addTab(TabSheet2, QStringLiteral("QVX-NET"));
  PageControl1->setCurrentIndex(0);

  Label18 = label(TabSheet1, "Label18", "QVX-RS only", 8, 0);
  Label23 = label(TabSheet1, "Label23", "Serial port", 8, 40);
  QStringList ports;
  for (const auto& name : SerialPortNames()) {
    ports << QString::fromStdString(name);
  }
  ComboBox3 = selector(TabSheet1, "ComboBox3", ports, "COM1", 8, 55, 145, 40);
  ComboBox3->setFont(SelectorFont());

  Label14 = label(TabSheet2, "Label14", "QVX-NET only", 8, 0);
  Label24 = label(TabSheet2, "Label24", "Local network interface", 168, 2);
  ComboBox4 = selector(TabSheet2, "ComboBox4", {}, "", 8, 16, 273, 21);
  Label15 = label(TabSheet2, "Label15", "MAC addr.(00-20-4A-xx-xx-xx): ", 8, 40);
  Edit2 = edit(TabSheet2, "Edit2", "00-20-4A-E0-2C-BE", 8, 54, 137);
  Label17 = label(TabSheet2, "Label17", "IP address (x.x.x.x): ", 152, 40);
  Edit8 = edit(TabSheet2, "Edit8", "192.168.1.10", 152, 54, 129);
  Label19 = label(TabSheet2, "Label19", "Server IP", 8, 74);
  Edit9 = edit(TabSheet2, "Edit9", "192.168.1.100", 8, 87, 137);
  Label16 = label(TabSheet2, "Label16", "Mask (x.x.x.x): ", 152, 74);
  Edit10 = edit(TabSheet2, "Edit10", "255.255.255.0", 152, 87, 129);
  Label21 = label(TabSheet2, "Label21", "Server port", 8, 106);
  Edit11 = edit(TabSheet2, "Edit11", "10100", 8, 120, 137);
  Label20 = label(TabSheet2, "Label20", "Gateway address (x.x.x.x): ", 152, 106);
  Edit12 = edit(TabSheet2, "Edit12", "192.168.1.254", 152, 120, 129);
  Button10 = button(TabSheet2, "Button10", "Set NET interface", 8, 143, 137, 22);
  Label22 = label(TabSheet2, "Label22", ".", 152, 146);

  // Components without a window of their own.
  const auto timer = [this](const char* name, int interval) {
    auto* t = Named(new QTimer(this), name);
    t->setInterval(interval);
    // The periods are the unit's: the default coarse type lets them drift by up to 5 %.
    t->setTimerType(Qt::PreciseTimer);
    return t;
  };
  Timer1 = timer("Timer1", 10000);
  Timer2 = timer("Timer2", 1000);
  Timer3 = timer("Timer3", 20000);

  // Controls under a style sheet take the application's font unless they name their own, so
  // they are given the window's before the frames get theirs.
  for (QGroupBox* group : {GroupBox1, GroupBox2}) {
    for (QWidget* control : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (!control->testAttribute(Qt::WA_SetFont)) {
        control->setFont(font());
      }
    }
  }
  for (QGroupBox* group : {GroupBox1, GroupBox2, AdvOfficeRadioGroup1}) {
    DrawTitleOnTheFrameLine(group);
  }
}

void TForm1::SetTabOrder() {
  const QList<QWidget*> order = {Edit1,
                                 Button1,
                                 Button2,
                                 Edit3,
                                 Button3,
                                 Edit4,
                                 Edit5,
                                 Edit6,
                                 Edit7,
                                 Button4,
                                 Button5,
                                 Button6,
                                 Button7,
                                 Memo1,
                                 AdvOfficeRadioButton[0],
                                 AdvOfficeRadioButton[1],
                                 AdvOfficeRadioButton[2],
                                 AdvOfficeRadioButton[3],
                                 AdvOfficeRadioButton[4],
                                 AdvOfficeRadioButton[5],
                                 Button8,
                                 ComboBox2,
                                 Button9,
                                 AdvSpinEdit1,
                                 ComboBox1,
                                 PageControl1,
                                 ComboBox3,
                                 Edit2,
                                 Edit8,
                                 Button10,
                                 Edit9,
                                 Edit10,
                                 Edit11,
                                 Edit12,
                                 ComboBox4};
  for (qsizetype i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(order[i - 1], order[i]);
  }
}

}  // namespace vidideza
