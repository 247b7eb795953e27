#include "app/folder_view.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>
#include <optional>

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "app/hold_edit.h"
#include "app/title_picture.h"
#include "app/transfer_runner.h"
#include "app/ui_thread.h"
#include "phone/trace.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {

FolderView::FolderView(MainWindow& window, AppContext& context, const FolderViewKind& kind)
    : ViewPage(window),
      context_(context),
      kind_(kind),
      message_(new QPlainTextEdit(this)),
      list_(new QListWidget(this)),
      count_(new QLabel(QStringLiteral("0"), this)),
      strip_(new transfer::StatusStrip(this, context.Sounds())),
      listControl_(*list_),
      messageControl_(*message_),
      countControl_(*count_) {
    message_->setReadOnly(true);
    message_->setAccessibleName(QStringLiteral("Message"));
    message_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    // The rows are columns of fixed width under the header; a fixed-pitch
    // font keeps them in line.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    list_->setFont(fixed);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list_->setUniformItemSizes(true);
    list_->setAccessibleName(QStringLiteral("Messages"));
    count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    count_->setAccessibleName(count_->text());
    count_->setAccessibleDescription(QStringLiteral("Number of messages"));
    auto* header = new QLabel(kind.columnHeader, this);
    header->setFont(fixed);
    header->setAccessibleName(kind.columnHeader);
    // The header starts where the rows' text does.
    header->setContentsMargins(list_->frameWidth() + 2, 0, 0, 0);

    auto* body = new QWidget(this);
    auto* grid = new QVBoxLayout(body);
    grid->setContentsMargins(4, 4, 4, 0);
    auto* top = new QHBoxLayout;
    auto* messageLabel = new QLabel(QStringLiteral("Message"), body);
    messageLabel->setBuddy(message_);
    top->addWidget(messageLabel);
    top->addStretch(1);
    top->addWidget(CreateTitlePicture(*body, kind.titleSvg, kind.titleName));
    grid->addLayout(top);
    grid->addWidget(message_, 4);
    auto* listTop = new QHBoxLayout;
    listTop->addWidget(header, 1);
    listTop->addWidget(count_);
    grid->addLayout(listTop);
    grid->addWidget(list_, 3);

    menuBar_ = CreateViewMenuBar(*this, kind.menuBar);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(body, 1);
    page->addWidget(strip_);
    page->addWidget(menuBar_.bar);
    ApplyViewColours(*body, ButtonScheme::White);

    hold_ = new HoldEdit(*message_);
    connect(hold_, &HoldEdit::held, this, &FolderView::ShowContextMenu);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        if (quiet_ == 0)
            OnSelectionChanged();
    });
}

FolderView::~FolderView() = default;

bool FolderView::OnCommand(int id) {
    ++quiet_;
    const bool handled = OnViewCommand(id) || OnSharedCommand(id) || OnNavigation(id);
    --quiet_;
    return handled;
}

bool FolderView::OnSharedCommand(int id) {
    switch (id) {
        case cmd::Delete:
            (void)RunListOp(store::ListOperation::DeleteSelected);
            return true;
        case cmd::SortByDate:
        case cmd::SortByName:
            if (kind_.byName == 0)
                return false;
            Sort(id == cmd::SortByDate ? SortOrder::ByDate : SortOrder::ByName);
            return true;
        case cmd::SendAndReceive:
            if (ConfirmSendAndReceive()) {
                End(1);
                Compose().SendCommand(cmd::Outbox);
            }
            return true;
        default:
            return false;
    }
}

void FolderView::OnSelectionChanged() {
    Quietly([this] {
        store::FolderHandle folder = OpenFolder(kind_.folder, kind_.byDate);
        if (!folder)
            return 0;
        Memory().selection = FirstSelected();
        (void)kind_.listOp(Controls(), Compose(), store::ListOperation::ShowSelected, *folder);
        return 0;
    });
}

std::optional<int> FolderView::RunListOp(store::ListOperation operation) {
    store::FolderHandle folder = OpenFolder(kind_.folder, kind_.byDate);
    if (!folder)
        return std::nullopt;
    return kind_.listOp(Controls(), Compose(), operation, *folder);
}

bool FolderView::OnNavigation(int id) {
    switch (id) {
        case cmd::New:
            End(1);
            return true;
        case cmd::Inbox:
        case cmd::Outbox:
        case cmd::Sent:
        case cmd::Export:
            if (id == kind_.ownCommand)
                return false;
            End(1);
            Compose().SendCommand(id);
            return true;
        case cmd::GeneralOptions:
        case cmd::SmsOptions:
        case cmd::About:
            return context_.Views() != nullptr && context_.Views()->RunDialog(id, *this);
        case cmd::ClearDatabase:
            (void)context_.Store().ClearDatabase(context_.Prompter());
            End(1);
            return true;
        case cmd::Quit:
            End(1);
            Compose().SendCommand(cmd::Quit);
            return true;
        case cmd::Copy:
            message_->copy();
            return true;
        default:
            return false;
    }
}

store::FolderHandle FolderView::OpenFolder(std::u16string_view name, store::PropId sortProperty) {
    return context_.Store().OpenFolder(name, sortProperty);
}

store::FolderViewControls FolderView::Controls() {
    return {listControl_, messageControl_, countControl_, *strip_, context_.Prompter()};
}

ComposeView& FolderView::Compose() {
    return *context_.Shell().composeWindow;
}

int FolderView::Quietly(const std::function<int()>& operation) {
    ++quiet_;
    const int result = operation();
    --quiet_;
    return result;
}

void FolderView::SelectRow(std::size_t row) {
    if (row < listControl_.Count())
        listControl_.SetSelected(row, true);
}

std::size_t FolderView::FirstSelected() const {
    return platform::FirstSelectedIndex(listControl_);
}

int FolderView::RunTransfer(const std::function<int(transfer::TransferContext&)>& run) {
    // The trace file belongs to this one run: opened before, closed after.
    std::optional<phone::Trace> trace;
    if (context_.Shell().traceEnabled) {
        trace.emplace(context_.Clock(), context_.DataDirectory());
        (void)trace->TraceWrite(phone::TraceKind::Open);
    }
    phone::LinkContext link{context_.Clock(),          context_.SerialOpener(), context_.Sounds(),
                            trace ? &*trace : nullptr, &context_.Pins(),        &context_.Modems()};
    CrossThreadStatus status(*strip_, *strip_);
    transfer::TransferContext transferContext{
        link, context_.Options(), status, {context_.DataDirectory(), "the Mivex window", false}};
    TransferRunner runner(Window(), context_.Live());
    const int result = runner.Run([&] { return run(transferContext); });
    if (trace)
        (void)trace->TraceWrite(phone::TraceKind::Close);
    return result;
}

void FolderView::Pause(std::uint32_t milliseconds) {
    TransferRunner runner(Window());
    (void)runner.Run([this, milliseconds] {
        context_.Clock().SleepMs(milliseconds);
        return 0;
    });
}

bool FolderView::ConfirmSendAndReceive() {
    if (!context_.Prompter().Confirm(kSendAndReceiveQuestion))
        return false;
    context_.Shell().sendAndReceive.Start();
    return true;
}

void FolderView::Sort(SortOrder order) {
    store::FolderHandle folder =
        OpenFolder(kind_.folder, order == SortOrder::ByDate ? kind_.byDate : kind_.byName);
    if (!folder)
        return;
    const store::FolderViewControls controls = Controls();
    FolderViewMemory& memory = Memory();
    (void)kind_.listOp(controls, Compose(), store::ListOperation::Fill, *folder);
    if (memory.sortOrder != order)
        memory.selection = 0;
    SelectRow(memory.selection);
    (void)kind_.listOp(controls, Compose(), store::ListOperation::ShowSelected, *folder);
    memory.sortOrder = order;
    if (QAction* date = menuBar_.Item(cmd::SortByDate))
        date->setChecked(order == SortOrder::ByDate);
    if (QAction* name = menuBar_.Item(cmd::SortByName))
        name->setChecked(order == SortOrder::ByName);
}

FolderViewMemory& FolderView::Memory() {
    return context_.Shell().*kind_.memory;
}

void FolderView::Resort() {
    SendCommand(Memory().sortOrder == SortOrder::ByDate ? cmd::SortByDate : cmd::SortByName);
}

void FolderView::ShowContextMenu(QPoint globalPoint) {
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("Copy")), &QAction::triggered, this,
            [this] { PostCommand(cmd::Copy); });
    PopupRightAligned(menu, globalPoint);
}

}  // namespace mivex::app
