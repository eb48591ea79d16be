#include "ui/uFunctionReference.h"

#include "text/uTranslate.h"
#include "ui/uExceptionBox.h"
#include "ui/uExpressionCompleter.h"
#include "ui/uOpenUrl.h"
#include "ui/uTranslateComponents.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <unordered_map>

namespace {

// The role that holds a row's index into the functions; -1 on a library's row.
constexpr int FunctionRole = Qt::UserRole;
// Functions Page Up and Page Down move over from the search box.
constexpr int PageStep = 10;

QString Text(const std::string& Utf8) {
  return QString::fromStdString(Utf8);
}

QString Caption(std::string_view Utf8) {
  return QString::fromStdString(Translate(Utf8));
}

int FunctionIndex(const QTreeWidgetItem* Item) {
  return Item ? Item->data(0, FunctionRole).toInt() : -1;
}

} // namespace

TfFunctionReference::TfFunctionReference(QLineEdit* Target, QWidget* Parent)
    : QDialog(Parent), Target_(Target), Search_(new QLineEdit(this)), List_(new QTreeWidget(this)),
      Details_(new QLabel(this)) {
  setObjectName("fFunctionReference");
  setWindowTitle("Insert Function");
  resize(600, 480);

  Search_->setObjectName("SearchEdit");
  Search_->setPlaceholderText("Search");
  Search_->setClearButtonEnabled(true);
  Search_->installEventFilter(this);

  List_->setObjectName("FunctionList");
  List_->setColumnCount(2);
  List_->setHeaderLabels({"Function", "Description"});
  List_->setUniformRowHeights(true);
  List_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  List_->setSelectionMode(QAbstractItemView::SingleSelection);
  List_->setAllColumnsShowFocus(true);

  Details_->setObjectName("Details");
  Details_->setWordWrap(true);
  Details_->setTextFormat(Qt::RichText);
  Details_->setTextInteractionFlags(Qt::TextBrowserInteraction);
  Details_->setOpenExternalLinks(false);
  Details_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Details_->setMinimumHeight(4 * fontMetrics().height());

  auto* buttons = new QDialogButtonBox(this); // owned by the dialog
  QPushButton* insert = buttons->addButton("Insert", QDialogButtonBox::AcceptRole);
  insert->setObjectName("InsertButton");
  insert->setDefault(true);
  buttons->addButton(QDialogButtonBox::Close);

  auto* layout = new QVBoxLayout(this); // owned by the dialog
  layout->addWidget(Search_);
  layout->addWidget(List_, 1);
  layout->addWidget(Details_);
  layout->addWidget(buttons);

  Fill();
  Filter(QString());
  Search_->setFocus();

  connect(Search_, &QLineEdit::textChanged, this,
          [this](const QString& text) { Guarded([&] { Filter(text); }); });
  connect(List_, &QTreeWidget::currentItemChanged, this,
          [this] { Guarded([&] { ShowDetails(); }); });
  connect(List_, &QTreeWidget::itemDoubleClicked, this,
          [this] { Guarded([&] { InsertChosen(); }); });
  // Enter in the search box or the list presses the default button.
  connect(insert, &QPushButton::clicked, this, [this] { Guarded([&] { InsertChosen(); }); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Details_, &QLabel::linkActivated, this,
          [](const QString& link) { Guarded([&] { (void)OpenUrl(QUrl(link)); }); });
  TranslateComponents(this);
}

void TfFunctionReference::Fill() {
  Functions_ = RegisteredFunctions();
  // One row a library, in the order the libraries first registered a function.
  std::unordered_map<std::string, QTreeWidgetItem*> libraries;
  for (std::size_t i = 0; i < Functions_.size(); ++i) {
    const TFunctionHelp& function = Functions_[i];
    QTreeWidgetItem*& library = libraries[function.Namespace];
    if (!library) {
      library = new QTreeWidgetItem(List_); // owned by the list
      library->setText(0, Text(function.Namespace));
      library->setData(0, FunctionRole, -1);
      library->setFlags(Qt::ItemIsEnabled);
      library->setFirstColumnSpanned(true);
      QFont font = library->font(0);
      font.setBold(true);
      library->setFont(0, font);
    }
    auto* item = new QTreeWidgetItem(library); // owned by its library's row
    item->setText(0, Text(CallsText(function)));
    item->setText(1, Text(Summary(function.Description)));
    item->setData(0, FunctionRole, static_cast<int>(i));
  }
  List_->expandAll();
  List_->resizeColumnToContents(0);
}

void TfFunctionReference::Filter(const QString& Text) {
  const QString needle = Text.trimmed();
  for (int l = 0; l < List_->topLevelItemCount(); ++l) {
    QTreeWidgetItem* library = List_->topLevelItem(l);
    bool anyShown = false;
    for (int f = 0; f < library->childCount(); ++f) {
      QTreeWidgetItem* item = library->child(f);
      const TFunctionHelp& function = Functions_[static_cast<std::size_t>(FunctionIndex(item))];
      const bool shown =
          needle.isEmpty() ||
          QString::fromStdString(function.Name).contains(needle, Qt::CaseInsensitive) ||
          item->text(0).contains(needle, Qt::CaseInsensitive) ||
          item->text(1).contains(needle, Qt::CaseInsensitive) ||
          QString::fromStdString(DescriptionText(function.Description))
              .contains(needle, Qt::CaseInsensitive) ||
          QString::fromStdString(function.Namespace).contains(needle, Qt::CaseInsensitive);
      item->setHidden(!shown);
      anyShown |= shown;
    }
    library->setHidden(!anyShown);
  }
  const std::vector<QTreeWidgetItem*> shown = ShownFunctionItems();
  QTreeWidgetItem* current = List_->currentItem();
  if (shown.empty())
    List_->setCurrentItem(nullptr);
  else if (std::find(shown.begin(), shown.end(), current) == shown.end())
    List_->setCurrentItem(shown.front());
  if (List_->currentItem())
    List_->scrollToItem(List_->currentItem());
  ShowDetails();
}

std::vector<QTreeWidgetItem*> TfFunctionReference::ShownFunctionItems() const {
  std::vector<QTreeWidgetItem*> items;
  for (int l = 0; l < List_->topLevelItemCount(); ++l) {
    const QTreeWidgetItem* library = List_->topLevelItem(l);
    if (library->isHidden())
      continue;
    for (int f = 0; f < library->childCount(); ++f)
      if (!library->child(f)->isHidden())
        items.push_back(library->child(f));
  }
  return items;
}

QStringList TfFunctionReference::ShownNames() const {
  QStringList names;
  for (const QTreeWidgetItem* item : ShownFunctionItems())
    names.append(Text(Functions_[static_cast<std::size_t>(FunctionIndex(item))].Name));
  return names;
}

const TFunctionHelp* TfFunctionReference::Chosen() const {
  const QTreeWidgetItem* item = List_->currentItem();
  const int index = FunctionIndex(item);
  if (index < 0 || item->isHidden())
    return nullptr;
  return &Functions_[static_cast<std::size_t>(index)];
}

void TfFunctionReference::ShowDetails() {
  const TFunctionHelp* function = Chosen();
  if (!function) {
    Details_->setText(List_->currentItem() ? QString() : Caption("No function matches."));
    return;
  }
  QString html = "<b>" + Text(CallsText(*function)).toHtmlEscaped() + "</b> &nbsp; <i>" +
                 Text(function->Namespace).toHtmlEscaped() + "</i>";
  if (const std::string text = DescriptionText(function->Description); !text.empty())
    html += "<br>" + Text(text).toHtmlEscaped();
  if (const std::string_view link = ReferenceLink(function->Description); !link.empty()) {
    const QString address = Text(std::string(link)).toHtmlEscaped();
    html += "<br><a href=\"" + address + "\">" + address + "</a>";
  }
  Details_->setText(html);
}

void TfFunctionReference::MoveChoice(int Step) {
  const std::vector<QTreeWidgetItem*> shown = ShownFunctionItems();
  if (shown.empty())
    return;
  const auto at = std::find(shown.begin(), shown.end(), List_->currentItem());
  const int row = at == shown.end() ? 0 : static_cast<int>(at - shown.begin()) + Step;
  List_->setCurrentItem(
      shown[static_cast<std::size_t>(std::clamp(row, 0, static_cast<int>(shown.size()) - 1))]);
}

void TfFunctionReference::InsertChosen() {
  const TFunctionHelp* function = Chosen();
  if (!function)
    return;
  InsertFunction(Target_, *function);
  accept();
}

bool TfFunctionReference::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Search_ && Event->type() == QEvent::KeyPress) {
    // The list's keys work from the search box, so that typing and choosing need no Tab between.
    bool handled = true;
    Guarded([&] {
      switch (static_cast<QKeyEvent*>(Event)->key()) {
      case Qt::Key_Up:
        MoveChoice(-1);
        break;
      case Qt::Key_Down:
        MoveChoice(1);
        break;
      case Qt::Key_PageUp:
        MoveChoice(-PageStep);
        break;
      case Qt::Key_PageDown:
        MoveChoice(PageStep);
        break;
      default:
        handled = false;
      }
    });
    if (handled)
      return true;
  }
  return QDialog::eventFilter(Watched, Event);
}

QString InsertFunctionCaption() {
  return Caption("Insert Function\xE2\x80\xA6");
}

void ShowFunctionReference(QLineEdit* Target) {
  TfFunctionReference dialog(Target, Target->window());
  dialog.exec();
  Target->setFocus();
}

void InstallFunctionReferenceMenu(QLineEdit* Target) {
  Target->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(Target, &QWidget::customContextMenuRequested, Target,
                   [Target](const QPoint& Position) {
                     Guarded([&] {
                       const std::unique_ptr<QMenu> menu(Target->createStandardContextMenu());
                       menu->setObjectName("EditContextMenu");
                       menu->addSeparator();
                       QAction* insert = menu->addAction(InsertFunctionCaption());
                       insert->setEnabled(!Target->isReadOnly());
                       // The dialog opens once the menu has closed.
                       if (menu->exec(Target->mapToGlobal(Position)) == insert)
                         ShowFunctionReference(Target);
                     });
                   });
}
