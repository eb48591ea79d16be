#pragma once

// The calculator window: three linked fields for height, weight and body mass index. Editing the
// height or the weight recomputes the index as weight / (height / 100)^2; editing the index
// recomputes the weight. Every field is read as an expression, and the messages found while
// reading are shown on the field itself.

#include <QWidget>
#include <functional>
#include <memory>

class TLabeledEdit;
class TParserMessages;

class TfMain : public QWidget {
  Q_OBJECT

 public:
  // Creates the window and its fields, and runs FormCreate.
  explicit TfMain(QWidget* Parent = nullptr);
  // Runs FormDestroy.
  ~TfMain() override;

  TLabeledEdit* EditHeight;
  TLabeledEdit* EditWeight;
  TLabeledEdit* EditBMI;

  // The height in centimetres, the weight in kilograms and the index, as last read or computed.
  long double HeightValue = 0;
  long double WeightValue = 0;
  long double BMIValue = 0;

  void FormCreate(QObject* Sender);
  void FormDestroy(QObject* Sender);
  void EditHeightChange(QObject* Sender);
  void EditWeightChange(QObject* Sender);
  void EditBMIChange(QObject* Sender);

  // The messages of the last read; reused for every field.
  const TParserMessages* Messages() const noexcept { return Messages_.get(); }

 private:
  using THandler = void (TfMain::*)(QObject* Sender);

  void UpdateBMI();
  void UpdateWeight();
  // Reads Edit into Value with the field's default, shows the messages on it, then recomputes.
  void ReadField(TLabeledEdit* Edit, long double& Value, long double DefVal,
                 void (TfMain::*Update)());
  // Sets a computed field's text with its change handler detached, so that the text is not read
  // back as input; reattaches the handler and clears the field's messages also when computing
  // fails.
  template <class F>
  void WriteComputed(TLabeledEdit* Edit, THandler Handler, F Compute);
  // The change handler that runs Handler at the edge of the event loop: an exception that reaches
  // it is shown in the exception box.
  std::function<void(QObject*)> Attached(THandler Handler);

  std::unique_ptr<TParserMessages> Messages_;
};

// The main form, while it exists.
extern TfMain* fMain;
