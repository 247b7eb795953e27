#include "app/qt_controls.h"

#include <QTextCursor>
#include <QTextDocument>

#include "app/qt_text.h"

namespace mivex::app {

namespace {

int Row(std::size_t index) {
    return static_cast<int>(index);
}

}  // namespace

std::size_t QtListControl::Count() const {
    return static_cast<std::size_t>(list_.count());
}

void QtListControl::Reset() {
    list_.clear();
}

std::size_t QtListControl::AddRow(std::u16string_view text) {
    list_.addItem(ToQString(text));
    return Count() - 1;
}

void QtListControl::InsertRow(std::size_t index, std::u16string_view text) {
    list_.insertItem(Row(index), ToQString(text));
}

void QtListControl::DeleteRow(std::size_t index) {
    delete list_.takeItem(Row(index));
}

std::u16string QtListControl::RowText(std::size_t index) const {
    return ToU16(list_.item(Row(index))->text());
}

std::uint32_t QtListControl::ItemData(std::size_t index) const {
    return list_.item(Row(index))->data(Qt::UserRole).toUInt();
}

void QtListControl::SetItemData(std::size_t index, std::uint32_t data) {
    list_.item(Row(index))->setData(Qt::UserRole, data);
}

bool QtListControl::IsSelected(std::size_t index) const {
    return list_.item(Row(index))->isSelected();
}

void QtListControl::SetSelected(std::size_t index, bool selected) {
    list_.item(Row(index))->setSelected(selected);
}

std::size_t QtListControl::SelectedCount() const {
    return static_cast<std::size_t>(list_.selectedItems().size());
}

void QtListControl::RepaintOwner() {
    list_.window()->repaint();
}

QString EditLineBreaks(std::u16string_view text) {
    QString result = ToQString(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

std::u16string QtTextControl::Text() const {
    // The raw text, not toPlainText(), which would turn no-break spaces into
    // plain ones; only the document's own block separators become '\n'.
    QString text = edit_.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return ToU16(text);
}

void QtTextControl::SetText(std::u16string_view text) {
    lastSet_ = text;
    edit_.setPlainText(EditLineBreaks(text));
    lastSetRevision_ = edit_.document()->revision();
}

int QtTextControl::EditPosition(std::size_t position) const {
    // Only while the edit still holds what the core set; once anything
    // changed it the positions are the edit's own.
    if (edit_.document()->revision() != lastSetRevision_)
        return static_cast<int>(position);
    std::size_t shorter = 0;
    for (std::size_t at = 0; at + 1 < lastSet_.size() && at + 1 < position; ++at) {
        if (lastSet_[at] == u'\r' && lastSet_[at + 1] == u'\n')
            ++shorter;
    }
    return static_cast<int>(position - shorter);
}

void QtTextControl::SetSelection(std::size_t start, std::size_t end) {
    QTextCursor cursor = edit_.textCursor();
    cursor.setPosition(EditPosition(start));
    cursor.setPosition(EditPosition(end), QTextCursor::KeepAnchor);
    edit_.setTextCursor(cursor);
}

void QtTextControl::ReplaceSelection(std::u16string_view text) {
    edit_.textCursor().insertText(EditLineBreaks(text));
}

std::u16string QtLabelText::Text() const {
    return ToU16(label_.text());
}

void QtLabelText::SetText(std::u16string_view text) {
    label_.setText(ToQString(text));
    label_.setAccessibleName(label_.text());
}

std::size_t QtComboControl::Count() const {
    return static_cast<std::size_t>(combo_.count());
}

void QtComboControl::Reset() {
    combo_.clear();
}

std::size_t QtComboControl::AddItem(std::u16string_view text) {
    combo_.addItem(ToQString(text));
    return Count() - 1;
}

void QtComboControl::InsertItem(std::size_t index, std::u16string_view text) {
    combo_.insertItem(Row(index), ToQString(text));
}

std::u16string QtComboControl::ItemText(std::size_t index) const {
    return ToU16(combo_.itemText(Row(index)));
}

std::int32_t QtComboControl::ItemData(std::size_t index) const {
    return combo_.itemData(Row(index)).toInt();
}

void QtComboControl::SetItemData(std::size_t index, std::int32_t data) {
    combo_.setItemData(Row(index), data);
}

std::optional<std::size_t> QtComboControl::CurrentIndex() const {
    const int index = combo_.currentIndex();
    if (index < 0)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

void QtComboControl::SetCurrentIndex(std::optional<std::size_t> index) {
    combo_.setCurrentIndex(index ? Row(*index) : -1);
}

std::optional<std::size_t> QtComboControl::FindExact(std::u16string_view text) const {
    const int index = combo_.findText(ToQString(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

void QtComboControl::SetRedraw(bool on) {
    combo_.setUpdatesEnabled(on);
}

}  // namespace mivex::app
