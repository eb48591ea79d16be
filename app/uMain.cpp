#include "app/uMain.h"

#include "expr/uDParser.h"
#include "expr/uInputFormat.h"
#include "expr/uParserMsg.h"
#include "graphics/uColors.h"
#include "platform/uFloatErrors.h"
#include "platform/uFloatFormat.h"
#include "text/uLatin1.h"
#include "text/uOutputFormat.h"
#include "ui/uDEdit.h"
#include "ui/uDesktopColors.h"
#include "ui/uExceptionBox.h"
#include "ui/uExpressionHelp.h"
#include "ui/uLabeledEdit.h"

#include <QAction>
#include <QFont>
#include <QKeySequence>

TfMain* fMain = nullptr;

namespace {

constexpr int ClientWidth = 286;
constexpr int ClientHeight = 58;
constexpr int FieldTop = 24;
constexpr int FieldWidth = 81;
constexpr int FieldHeight = 21;
constexpr long double MaxValue = 2147483647;

// The field's text as the reader reads it: Latin-1, so the not sign is one character.
std::string Latin1Text(const TLabeledEdit* Edit) {
  const QByteArray text = Edit->text().toLatin1();
  return std::string(text.constData(), static_cast<std::size_t>(text.size()));
}

// A computed value as the field shows it: 15 significant digits with the locale's decimal
// separator, the same text the reader accepts back.
QString ValueText(long double Value) {
  return QString::fromLatin1(FloatToStr(Value, LocaleSeparatorLatin1(DecimalSep)));
}

} // namespace

TfMain::TfMain(QWidget* Parent)
    : QWidget(Parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("fMain");
  setWindowTitle("Body Mass Index");
  setFixedSize(ClientWidth, ClientHeight);
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ToQColor(clBtnFace));
  setPalette(palette);
  setAutoFillBackground(true);

  const struct {
    TLabeledEdit*& Edit;
    const char* Name;
    int Left;
    const char* Caption;
    const char* Text;
  } fields[] = {
      {EditHeight, "EditHeight", 16, "Height [cm]", "180"},
      {EditWeight, "EditWeight", 104, "Weight [kg]", "75"},
      {EditBMI, "EditBMI", 192, "BMI (20-25 is ok)", ""},
  };
  for (const auto& field : fields) {
    field.Edit = new TLabeledEdit(this); // owned by the window
    field.Edit->setObjectName(field.Name);
    field.Edit->EditLabel()->setText(field.Caption);
    field.Edit->SetBounds(field.Left, FieldTop, FieldWidth, FieldHeight);
    field.Edit->setText(field.Text);
    // Completion of function names and the function reference; neither changes what is read.
    InstallExpressionHelp(field.Edit);
  }
  // Ctrl+Q closes the window and so ends the program, as in every desktop program.
  auto* quit = new QAction(this); // owned by the window
  // Ctrl+Q itself, also where the platform's key scheme binds no quit key (as Windows' does).
  QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
  if (!quitKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Q)))
    quitKeys.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
  quit->setShortcuts(quitKeys);
  connect(quit, &QAction::triggered, this, &QWidget::close);
  addAction(quit);

  setTabOrder(EditHeight, EditWeight);
  setTabOrder(EditWeight, EditBMI);
  EditHeight->setFocus();

  EditHeight->OnChange = Attached(&TfMain::EditHeightChange);
  EditWeight->OnChange = Attached(&TfMain::EditWeightChange);
  EditBMI->OnChange = Attached(&TfMain::EditBMIChange);
  fMain = this;
  FormCreate(this);
}

TfMain::~TfMain() {
  EditHeight->OnChange = nullptr;
  EditWeight->OnChange = nullptr;
  EditBMI->OnChange = nullptr;
  FormDestroy(this);
  if (fMain == this)
    fMain = nullptr;
}

void TfMain::FormCreate(QObject* Sender) {
  Messages_ = std::make_unique<TParserMessages>();
  EditHeightChange(Sender);
  EditWeightChange(Sender);
  UpdateBMI();
}

void TfMain::FormDestroy(QObject*) {
  Messages_.reset();
}

std::function<void(QObject*)> TfMain::Attached(THandler Handler) {
  return [this, Handler](QObject* Sender) {
    try {
      (this->*Handler)(Sender);
    } catch (const std::exception& error) {
      ShowExceptionBox(error);
    }
  };
}

void TfMain::ReadField(TLabeledEdit* Edit, long double& Value, long double DefVal,
                       void (TfMain::*Update)()) {
  Messages_->Clear();
  Value = StrToValE(Latin1Text(Edit), true, Messages_.get(), 0, DefVal, MaxValue);
  ShowParserMessages(Edit, Messages_.get());
  (this->*Update)();
}

void TfMain::EditHeightChange(QObject*) {
  ReadField(EditHeight, HeightValue, 180, &TfMain::UpdateBMI);
}

void TfMain::EditWeightChange(QObject*) {
  ReadField(EditWeight, WeightValue, 75, &TfMain::UpdateBMI);
}

void TfMain::EditBMIChange(QObject*) {
  ReadField(EditBMI, BMIValue, 22.5L, &TfMain::UpdateWeight);
}

template <class F>
void TfMain::WriteComputed(TLabeledEdit* Edit, THandler Handler, F Compute) {
  Edit->OnChange = nullptr;
  struct TReattach {
    TfMain* Form;
    TLabeledEdit* Edit;
    THandler Handler;
    ~TReattach() {
      Edit->OnChange = Form->Attached(Handler);
      ShowParserMessages(Edit, nullptr);
    }
  } reattach{this, Edit, Handler};
  Edit->setText(HeightValue == 0 ? QString("N/A") : ValueText(Compute()));
  // Show the beginning of a long number, as a typed text would be seen.
  Edit->setCursorPosition(0);
}

void TfMain::UpdateBMI() {
  WriteComputed(EditBMI, &TfMain::EditBMIChange, [this] {
    BMIValue = FloatChecked(
        [](long double weight, long double height) {
          const long double metres = height / 100;
          return weight / (metres * metres);
        },
        WeightValue, HeightValue);
    return BMIValue;
  });
}

void TfMain::UpdateWeight() {
  WriteComputed(EditWeight, &TfMain::EditWeightChange, [this] {
    WeightValue = FloatChecked(
        [](long double index, long double height) {
          const long double metres = height / 100;
          return metres * metres * index;
        },
        BMIValue, HeightValue);
    return WeightValue;
  });
}
