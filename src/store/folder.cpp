#include "store/folder.h"

#include <sqlite3.h>

#include <algorithm>

#include "store/folder_impl.h"
#include "store/record_codec.h"
#include "store/store.h"
#include "store/volume.h"

namespace mivex::store {

namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Replaces each given property of `record` that has the same number (keeping
// its place), and appends the others: a record holds one property per number.
void MergeProps(PropArray& record, std::span<const PropVal> changes) {
    for (const PropVal& change : changes) {
        auto same = std::find_if(record.begin(), record.end(), [&change](const PropVal& prop) {
            return PropNumber(prop.id) == PropNumber(change.id);
        });
        PropVal& target = same != record.end() ? *same : record.emplace_back();
        target = change;
        target.flags = 0;
    }
}

void ClearValue(PropVal& prop) {
    prop.flags = 0;
    prop.integer = 0;
    prop.fileTime = 0;
    prop.text.clear();
    prop.blob.clear();
}

}  // namespace

Folder::Impl::Impl(Store& store, Volume& volume, const FolderLayout& layout, std::int64_t folderRow,
                   SortColumn column, PropId sortProperty)
    : store_(&store),
      volume_(&volume),
      layout_(layout),
      folderRow_(folderRow),
      column_(column),
      sortProperty_(sortProperty) {
    const std::string key = column == SortColumn::Date ? "date_key" : "name_key";
    const std::string select = "SELECT id, props, " + key + " FROM records WHERE folder = ?1";
    streamAll_ = volume.db().Prepare(select + " ORDER BY " + key);
    streamFrom_ = volume.db().Prepare(select + " AND " + key + " >= ?2 ORDER BY " + key);
    volume.Register(this);
}

Folder::Impl::~Impl() {
    Store* store = store_;
    Orphan();
    if (store != nullptr && unmountOnClose_)
        store->UnmountStore();
}

void Folder::Impl::Orphan() {
    DropStream();
    streamAll_.Finalize();
    streamFrom_.Finalize();
    if (volume_ != nullptr)
        volume_->Unregister(this);
    volume_ = nullptr;
    store_ = nullptr;
    snapshot_.clear();
    snapshotValid_ = false;
    cursor_ = Cursor{};
}

bool Folder::Impl::EnsureSnapshot() {
    if (volume_ == nullptr)
        return false;
    if (!snapshotValid_)
        snapshotValid_ = volume_->LoadOrder(column_, folderRow_, snapshot_);
    return snapshotValid_;
}

std::size_t Folder::Impl::IndexOf(ObjectId id, std::size_t hint) const {
    // Searches outwards from the hint: the record looked for is nearly always
    // the one just read or its neighbour.
    const std::size_t size = snapshot_.size();
    if (size == 0)
        return kNotFound;
    std::size_t below = std::min(hint, size - 1) + 1;  // next to look at is below - 1
    std::size_t above = below;
    while (below > 0 || above < size) {
        if (below > 0 && snapshot_[--below] == id)
            return below;
        if (above < size && snapshot_[above++] == id)
            return above - 1;
    }
    return kNotFound;
}

bool Folder::Impl::EnsureKey() {
    if (cursor_.atEnd || cursor_.keyKnown)
        return true;
    std::int64_t row = 0;
    if (cursor_.id == 0 || !volume_->KeyOf(column_, cursor_.id, row, cursor_.key))
        return false;
    cursor_.keyKnown = true;
    return true;
}

bool Folder::Impl::EnsurePosition() {
    if (cursor_.positionKnown)
        return true;
    if (!EnsureSnapshot())
        return false;
    if (cursor_.atEnd) {
        cursor_.position = snapshot_.size();
    } else if (const std::size_t at = cursor_.id != 0 ? IndexOf(cursor_.id, 0) : kNotFound;
               at != kNotFound) {
        cursor_.position = at;
    } else {
        // The first record whose key is not below the cursor's, by halving.
        std::size_t low = 0;
        std::size_t high = snapshot_.size();
        std::int64_t row = 0;
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (!volume_->KeyOf(column_, snapshot_[middle], row, probeKey_))
                return false;
            if (probeKey_ < cursor_.key) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        cursor_.position = low;
    }
    cursor_.positionKnown = true;
    return true;
}

ObjectId Folder::Impl::PlaceAt(std::size_t index) {
    streamAtCursor_ = false;
    cursor_.positionKnown = true;
    cursor_.position = std::min(index, snapshot_.size());
    cursor_.atEnd = cursor_.position == snapshot_.size();
    cursor_.id = cursor_.atEnd ? 0 : snapshot_[cursor_.position];
    cursor_.keyKnown = false;
    return cursor_.id;
}

void Folder::Impl::DropStream() {
    if (stream_ != nullptr)
        stream_->Reset();
    stream_ = nullptr;
    streamAtCursor_ = false;
    streamHasRow_ = false;
}

bool Folder::Impl::StepStream() {
    const int rc = stream_->Step();
    streamHasRow_ = rc == SQLITE_ROW;
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return true;
    DropStream();  // aborted by a rollback, or an I/O error
    return false;
}

void Folder::Impl::FollowStream() {
    if (!streamHasRow_) {
        cursor_.atEnd = true;
        cursor_.id = 0;
        return;
    }
    cursor_.atEnd = false;
    cursor_.id = static_cast<ObjectId>(stream_->ColumnInt(0));
    const auto key = stream_->ColumnBlob(2);
    cursor_.key.assign(key.begin(), key.end());
    cursor_.keyKnown = true;
}

bool Folder::Impl::StreamAtCursor() {
    if (volume_ == nullptr)
        return false;
    if (stream_ != nullptr && streamAtCursor_)
        return true;
    DropStream();
    if (cursor_.atEnd)
        return true;  // no row there
    const bool fromStart = cursor_.positionKnown && cursor_.position == 0;
    if (fromStart) {
        stream_ = &streamAll_;
        stream_->BindInt(1, folderRow_);
    } else {
        if (!EnsureKey())
            return false;
        stream_ = &streamFrom_;
        stream_->BindInt(1, folderRow_);
        stream_->BindBlob(2, cursor_.key);
    }
    if (!StepStream())
        return false;
    streamAtCursor_ = true;
    FollowStream();
    return true;
}

ObjectId Folder::Impl::SeekBeginning(std::uint32_t offset) {
    if (volume_ == nullptr)
        return 0;
    if (offset == 0) {
        cursor_ = Cursor{false, true, {}, true, 0, 0};
        DropStream();
        return StreamAtCursor() && streamHasRow_ ? cursor_.id : 0;
    }
    if (!EnsureSnapshot())
        return 0;
    return PlaceAt(offset);
}

ObjectId Folder::Impl::SeekToId(ObjectId id, std::uint32_t* index) {
    std::int64_t row = 0;
    if (volume_ == nullptr || id == 0 || !volume_->KeyOf(column_, id, row, probeKey_) ||
        row != folderRow_) {
        return 0;
    }
    const std::size_t hint = cursor_.positionKnown ? cursor_.position : 0;
    streamAtCursor_ = false;
    cursor_.atEnd = false;
    cursor_.keyKnown = true;
    cursor_.key.swap(probeKey_);
    cursor_.id = id;
    cursor_.positionKnown = false;
    if (index != nullptr) {
        if (snapshotValid_) {
            if (const std::size_t at = IndexOf(id, hint); at != kNotFound) {
                cursor_.position = at;
                cursor_.positionKnown = true;
            }
        }
        if (!EnsurePosition())
            return 0;
        *index = static_cast<std::uint32_t>(cursor_.position);
    }
    return id;
}

ObjectId Folder::Impl::SeekForward(std::uint32_t count) {
    if (volume_ == nullptr || !EnsurePosition() || !EnsureSnapshot())
        return 0;
    return PlaceAt(cursor_.position + count);
}

RecordRead Folder::Impl::ReadRecord(PropArray& props) {
    if (!StreamAtCursor())
        return {RecordRead::Kind::Failed, 0};
    if (!streamHasRow_)
        return {RecordRead::Kind::End, 0};
    const bool ok = DecodeRecord(stream_->ColumnBlob(1), props);
    const ObjectId id = cursor_.id;
    if (layout_.autoAdvance) {
        // On to the next record: the smallest key above this one is the key
        // with a zero octet appended, which holds even if the step fails.
        cursor_.key.push_back(0);
        cursor_.id = 0;
        if (cursor_.positionKnown)
            ++cursor_.position;
        if (StepStream())
            FollowStream();
    }
    // The cursor has moved past a damaged record as past any other.
    if (!ok) {
        props.clear();
        return {RecordRead::Kind::Damaged, id};
    }
    return {RecordRead::Kind::Record, id};
}

ObjectId Folder::Impl::ReadProps(std::span<const PropId> ids, PropArray& props) {
    if (!StreamAtCursor() || !streamHasRow_)
        return 0;
    if (!DecodeRecord(stream_->ColumnBlob(1), scratch_))
        return 0;
    props.resize(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto found =
            std::find_if(scratch_.begin(), scratch_.end(),
                         [id = ids[i]](const PropVal& prop) { return prop.id == id; });
        if (found != scratch_.end()) {
            props[i] = *found;
        } else {
            ClearValue(props[i]);
            props[i].id = ids[i];
            props[i].flags = kPropNotFound;
        }
    }
    return cursor_.id;
}

ObjectId Folder::Impl::WriteRecord(ObjectId id, std::span<const PropVal> props) {
    if (volume_ == nullptr)
        return 0;
    if (!std::all_of(props.begin(), props.end(),
                     [](const PropVal& prop) { return IsStorableType(prop.id); })) {
        return 0;
    }
    Volume& volume = *volume_;
    volume.BeforeChange(folderRow_);
    Volume::WriteScope scope(volume);
    if (!scope.began())
        return 0;

    scratch_.clear();
    if (id != 0) {
        std::int64_t row = 0;
        if (!volume.ReadStored(id, row, bytes_) || row != folderRow_ ||
            !DecodeRecord(bytes_, scratch_)) {
            return 0;  // not a record of this folder, or one that cannot be read
        }
    }
    MergeProps(scratch_, props);
    const std::optional<ObjectId> written =
        id != 0 ? std::optional<ObjectId>(id) : volume.NextObjectId();
    if (!written || !EncodeRecord(scratch_, bytes_))
        return 0;
    MakeRecordKeys(layout_, scratch_, *written, volume.collator(), dateKey_, nameKey_);
    const bool stored = id != 0 ? volume.Update(id, dateKey_, nameKey_, bytes_)
                                : volume.Insert(*written, folderRow_, dateKey_, nameKey_, bytes_);
    if (!stored || !scope.Commit())
        return 0;
    volume.AfterChange(folderRow_);
    return *written;
}

bool Folder::Impl::DeleteRecord(ObjectId id) {
    if (volume_ == nullptr || id == 0)
        return false;
    Volume& volume = *volume_;
    volume.BeforeChange(folderRow_);
    Volume::WriteScope scope(volume);
    if (!scope.began() || !volume.Delete(id, folderRow_) || !scope.Commit())
        return false;
    volume.AfterChange(folderRow_);
    return true;
}

bool Folder::Impl::Atomically(const std::function<bool()>& body) {
    return volume_ != nullptr && volume_->Atomically(body);
}

void Folder::Impl::BeforeChange() {
    // The cursor must stand on a key before the records change under it; a
    // running SELECT would not see the change.
    if (!EnsureKey()) {
        cursor_.atEnd = true;
        cursor_.id = 0;
    }
    DropStream();
}

void Folder::Impl::AfterChange() {
    snapshotValid_ = false;
    cursor_.positionKnown = false;
    cursor_.id = 0;
    streamAtCursor_ = false;
}

void Folder::Impl::SaveCursor(int level) {
    saved_.emplace_back(level, cursor_);
}

void Folder::Impl::ForgetCursor(int level) {
    while (!saved_.empty() && saved_.back().first >= level)
        saved_.pop_back();
}

void Folder::Impl::RestoreCursor(int level) {
    // A folder opened inside the step has nothing saved for it and keeps its place.
    while (!saved_.empty() && saved_.back().first >= level) {
        if (saved_.back().first == level)
            cursor_ = std::move(saved_.back().second);
        saved_.pop_back();
    }
    snapshotValid_ = false;
    DropStream();
}

Folder::Folder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Folder::~Folder() = default;

ObjectId Folder::SeekBeginning(std::uint32_t offset) {
    return impl_->SeekBeginning(offset);
}
ObjectId Folder::SeekToId(ObjectId id, std::uint32_t* index) {
    return impl_->SeekToId(id, index);
}
ObjectId Folder::SeekForward(std::uint32_t count) {
    return impl_->SeekForward(count);
}
RecordRead Folder::ReadRecord(PropArray& props) {
    return impl_->ReadRecord(props);
}
ObjectId Folder::ReadProps(std::span<const PropId> ids, PropArray& props) {
    return impl_->ReadProps(ids, props);
}
ObjectId Folder::WriteRecord(ObjectId id, std::span<const PropVal> props) {
    return impl_->WriteRecord(id, props);
}
bool Folder::DeleteRecord(ObjectId id) {
    return impl_->DeleteRecord(id);
}
bool Folder::Atomically(const std::function<bool()>& body) {
    return impl_->Atomically(body);
}
std::u16string_view Folder::Name() const {
    return impl_->layout().name;
}
PropId Folder::SortProperty() const {
    return impl_->sortProperty();
}

}  // namespace mivex::store
