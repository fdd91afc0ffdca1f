#include "script/PagedFile.h"

#include "script/Base64.h"
#include "script/ScriptText.h"
#include "script/SetText.h"
#include "script/TextHash.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

// Locks live on byte ranges far beyond any page (offsets are 32-bit), so they never touch data.
constexpr std::int64_t kLockBase = std::int64_t(1) << 40;
constexpr std::int64_t kUsersLock = kLockBase;     // the ".users" table is read and written under it
constexpr std::int64_t kWriteLock = kLockBase + 1; // record pages are written under it
constexpr std::int64_t SlotLock(int slot) { return kLockBase + 256 + slot; }
constexpr int kUsersWaitMs = 10000;
constexpr int kWriteWaitMs = 60000;

constexpr int kFirstSlot = 2;
constexpr int kLastSlot = 255;
constexpr std::size_t kUsersSize = 256;
// Large enough for any sensible record page, small enough that a corrupt page 0 cannot make us
// allocate without bound.
constexpr std::uint32_t kMaxPageSize = 1u << 24;
constexpr std::size_t kCacheBytes = 1 << 20;

const char* const kPassPhrase = "marlpits";

void CheckCredentials(const std::string& userName, const std::string& password)
{
    auto ok = [](const std::string& s) { return s.size() >= 5 && s.size() <= 12; };
    if (!ok(userName) || !ok(password))
        throw EvekPageError("The length of both UserName and Password must be 5..12 characters.");
}

std::string ReadUsersTable(const std::string& usersFile, bool& exists)
{
    std::string table;
    exists = vektext::ReadTextFile(usersFile, table);
    table.resize(kUsersSize, '0');
    return table;
}

// Written in place, never emptied first: whoever looks at the table sees whole bytes.
void WriteUsersTable(const std::string& usersFile, const std::string& table)
{
    try {
        TSharedFile out;
        out.Open(usersFile, true, false);
        out.WriteAt(0, table.data(), kUsersSize);
        out.Truncate(kUsersSize);
    } catch (const EvekFileError&) {
        throw EvekPageError("can not write " + usersFile);
    }
}

} // namespace

// ---- header

void TPageHeader::Read(const unsigned char* b)
{
    InUse = b[0];
    First = b[1];
    Next = std::uint32_t(b[4]) | std::uint32_t(b[5]) << 8 | std::uint32_t(b[6]) << 16 | std::uint32_t(b[7]) << 24;
    Lock = b[8];
}

void TPageHeader::Write(unsigned char* b) const
{
    std::memset(b, 0, Size);
    b[0] = InUse;
    b[1] = First;
    b[4] = std::uint8_t(Next);
    b[5] = std::uint8_t(Next >> 8);
    b[6] = std::uint8_t(Next >> 16);
    b[7] = std::uint8_t(Next >> 24);
    b[8] = Lock;
}

// ---- cipher

std::uint32_t TvekPagedFile::StringKey(const std::string& text) { return static_cast<std::uint32_t>(TextHash(text)); }

void TvekPagedFile::SetKeys(const std::string& userName, const std::string& password)
{
    userKey_ = StringKey(userName);
    passwordKey_ = StringKey(password);
    phraseKey_ = StringKey(kPassPhrase);
}

std::string TvekPagedFile::EncryptText(const std::string& text) const
{
    std::string bytes(text.size(), '\0');
    std::uint32_t k = userKey_;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint8_t c = std::uint8_t(text[i]) ^ std::uint8_t(k >> 8);
        bytes[i] = char(c);
        k = (c + k) * passwordKey_ + phraseKey_;
    }
    return EncodeBase64(bytes);
}

std::string TvekPagedFile::DecryptText(const std::string& text) const
{
    std::string bytes = DecodeBase64(text);
    std::uint32_t k = userKey_;
    for (char& ch : bytes) {
        const std::uint8_t c = std::uint8_t(ch);
        ch = char(c ^ std::uint8_t(k >> 8));
        k = (c + k) * passwordKey_ + phraseKey_;
    }
    return bytes;
}

std::string TvekPagedFile::UsersFileName(const std::string& fileName)
{
    return std::filesystem::path(fileName).replace_extension(".users").string();
}

// ---- life

TvekPagedFile::TvekPagedFile() : Records(*this) {}

TvekPagedFile::~TvekPagedFile()
{
    try {
        CloseFile();
    } catch (...) {
        // Closing while unwinding must not throw; the system drops our locks with the file.
    }
}

void TvekPagedFile::CreateFile(const std::string& fileName, int pageSize, const std::string& userName,
                               const std::string& password)
{
    CheckCredentials(userName, password);
    if (pageSize < 64) throw EvekPageError("The page size must be >= 64");
    if (std::uint32_t(pageSize) > kMaxPageSize)
        throw EvekPageError("The page size must be <= " + std::to_string(kMaxPageSize));
    TvekPagedFile keys;
    keys.SetKeys(userName, password);
    std::string body = keys.EncryptText(userName + password);
    const std::size_t bodySize = std::size_t(pageSize) - TPageHeader::Size;
    if (body.size() > bodySize) body.resize(bodySize); // only when page 0 cannot hold the credentials
    body.resize(bodySize, ' ');
    std::vector<unsigned char> page(static_cast<std::size_t>(pageSize));
    TPageHeader header;
    header.Next = std::uint32_t(pageSize);
    header.Write(page.data());
    std::memcpy(page.data() + TPageHeader::Size, body.data(), bodySize);
    TSharedFile out;
    try {
        out.Open(fileName, true);
        out.WriteAt(0, page.data(), page.size());
    } catch (const EvekFileError& e) {
        throw EvekPageError(e.what());
    }
}

void TvekPagedFile::OpenFile(const std::string& fileName, const std::string& userName, const std::string& password)
{
    CheckCredentials(userName, password);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(fileName, ec))
        throw EvekPageError("can not open non existing file: " + fileName);
    CloseFile();
    try {
        file_.Open(fileName, false);
    } catch (const EvekFileError& e) {
        throw EvekPageError(e.what());
    }
    fileName_ = fileName;
    try {
        TakeSlot();
    } catch (...) {
        file_.Close();
        fileName_.clear();
        throw;
    }
    try {
        unsigned char raw[TPageHeader::Size] = {};
        TPageHeader page0;
        const bool whole = file_.ReadAt(0, raw, sizeof raw) == sizeof raw;
        page0.Read(raw);
        if (!whole || page0.Next < 64 || page0.Next > kMaxPageSize)
            throw EvekPageError("can not open file: " + fileName + " is not a paged record file");
        std::string body(page0.Next - TPageHeader::Size, ' ');
        body.resize(file_.ReadAt(TPageHeader::Size, body.data(), body.size()));
        SetKeys(userName, password);
        if (DecryptText(std::string(TrimRightView(body))) != userName + password)
            throw EvekPageError("can not open file: invalid username or password");
        pageSize_ = page0.Next;
    } catch (...) {
        ReleaseSlot();
        file_.Close();
        fileName_.clear();
        throw;
    }
    userName_ = userName;
    password_ = password;
    open_ = true;
    cacheLength_ = 0;
    freeHint_ = 0;
    stamp_ = 0;
}

void TvekPagedFile::CloseFile()
{
    if (!open_) return;
    try {
        ClearRecordList();
    } catch (...) {
        // The locks of a user whose slot is freed count as released anyway.
    }
    ReleaseSlot();
    file_.Close();
    open_ = false;
    fileName_.clear();
    userName_.clear();
    password_.clear();
    userKey_ = passwordKey_ = phraseKey_ = 0;
    pageSize_ = 0;
    slot_ = 0;
}

// ---- users table

void TvekPagedFile::TakeSlot()
{
    TFileLockScope guard(file_, kUsersLock, 1, true, kUsersWaitMs, "can not open file: the users table is busy");
    const std::string usersFile = UsersFileName(fileName_);
    bool exists = false;
    std::string table = ReadUsersTable(usersFile, exists);
    if (!exists) table.assign(kUsersSize, '0');
    // A slot marked taken whose holder no longer holds its lock belongs to a user that is gone.
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        char& mark = table[std::size_t(slot - 1)];
        if (mark != '0' && file_.IsLockedByOther(SlotLock(slot), 1)) continue;
        if (!file_.TryLock(SlotLock(slot), 1, true)) continue;
        mark = '1';
        try {
            WriteUsersTable(usersFile, table);
        } catch (...) {
            file_.Unlock(SlotLock(slot), 1);
            throw;
        }
        slot_ = std::uint8_t(slot);
        return;
    }
    throw EvekPageError("can not open file: too many users");
}

void TvekPagedFile::ReleaseSlot()
{
    if (slot_ == 0) return;
    const int own = slot_;
    slot_ = 0;
    if (!file_.Lock(kUsersLock, 1, true, kUsersWaitMs)) {
        file_.Unlock(SlotLock(own), 1); // the table keeps our mark; others see the slot as free
        return;
    }
    try {
        const std::string usersFile = UsersFileName(fileName_);
        bool exists = false;
        std::string table = ReadUsersTable(usersFile, exists);
        table[std::size_t(own - 1)] = '0';
        file_.Unlock(SlotLock(own), 1);
        bool anyoneLeft = table[kUsersSize - 1] != '0';
        for (int slot = kFirstSlot; slot <= kLastSlot && !anyoneLeft; ++slot)
            anyoneLeft = table[std::size_t(slot - 1)] != '0' && file_.IsLockedByOther(SlotLock(slot), 1);
        std::error_code ec;
        if (anyoneLeft)
            WriteUsersTable(usersFile, table);
        else
            std::filesystem::remove(usersFile, ec);
    } catch (...) {
        file_.Unlock(kUsersLock, 1);
        return;
    }
    file_.Unlock(kUsersLock, 1);
}

bool TvekPagedFile::LockedByOther(std::uint8_t lockSlot) const
{
    if (lockSlot == 0 || lockSlot == slot_) return false;
    // A lock naming a slot nobody holds was left by a user that is gone.
    if (lockSlot < kFirstSlot) return true;
    return file_.IsLockedByOther(SlotLock(lockSlot), 1);
}

// ---- pages

const unsigned char* TvekPagedFile::PageBytes(std::uint32_t offset)
{
    const std::int64_t end = std::int64_t(offset) + pageSize_;
    if (cacheLength_ == 0 || offset < cacheStart_ || end > cacheStart_ + std::int64_t(cacheLength_)) {
        const std::size_t block = std::max<std::size_t>(pageSize_, kCacheBytes / pageSize_ * pageSize_);
        if (cache_.size() < block) cache_.resize(block);
        cacheStart_ = offset;
        const std::size_t got = file_.ReadAt(offset, cache_.data(), block);
        // Past the end of the file a page reads as zeros: a free page with a blank body.
        if (got < pageSize_) std::memset(cache_.data() + got, 0, pageSize_ - got);
        cacheLength_ = std::max<std::size_t>(got, pageSize_);
    }
    return cache_.data() + (offset - cacheStart_);
}

void TvekPagedFile::ReadHeader(std::uint32_t offset, TPageHeader& header) { header.Read(PageBytes(offset)); }

void TvekPagedFile::WritePage(std::uint32_t offset, const TPageHeader& header, const char* body, std::size_t bodyLength)
{
    std::vector<unsigned char> page(pageSize_, ' ');
    header.Write(page.data());
    if (bodyLength > 0)
        std::memcpy(page.data() + TPageHeader::Size, body, std::min<std::size_t>(bodyLength, pageSize_ - TPageHeader::Size));
    cacheLength_ = 0;
    try {
        file_.WriteAt(offset, page.data(), page.size());
    } catch (const EvekFileError& e) {
        throw EvekPageError(e.what());
    }
}

void TvekPagedFile::CheckChainOffset(std::uint32_t offset, std::int64_t fileSize) const
{
    if (offset < pageSize_ || offset % pageSize_ != 0 || offset >= fileSize)
        throw EvekPageError("broken page chain at offset " + std::to_string(offset) + " in " + fileName_);
}

std::string TvekPagedFile::ReadRecord(std::uint32_t offset)
{
    const std::int64_t fileSize = file_.Size();
    const std::int64_t maxPages = fileSize / pageSize_;
    const std::size_t body = pageSize_ - TPageHeader::Size;
    std::string text;
    for (std::int64_t pages = 0; offset != 0; ++pages) {
        // A chain longer than the file has pages is a loop.
        if (pages >= maxPages) throw EvekPageError("broken page chain at offset " + std::to_string(offset) + " in " + fileName_);
        CheckChainOffset(offset, fileSize);
        const unsigned char* page = PageBytes(offset);
        header_.Read(page);
        text.append(reinterpret_cast<const char*>(page) + TPageHeader::Size, body);
        offset = header_.Next;
    }
    return DecryptText(std::string(TrimRightView(text)));
}

std::uint32_t TvekPagedFile::PageSearch(std::uint32_t start)
{
    if (!open_) throw EvekPageError("can not get page when file is closed");
    const std::int64_t fileSize = file_.Size();
    std::int64_t offset = std::int64_t(start) + pageSize_;
    const bool fromHint = freeHint_ != 0 && offset <= freeHint_;
    if (fromHint) offset = freeHint_;
    for (; offset < fileSize; offset += pageSize_)
        if (PageBytes(std::uint32_t(offset))[0] == 0) break;
    if (offset + pageSize_ > std::int64_t(UINT32_MAX)) throw EvekPageError("paged file is full: " + fileName_);
    if (fromHint || start == 0) freeHint_ = std::uint32_t(offset);
    return std::uint32_t(offset);
}

void TvekPagedFile::FreeChain(std::uint32_t offset)
{
    const std::int64_t fileSize = file_.Size();
    const std::int64_t maxPages = fileSize / pageSize_;
    const TPageHeader blank;
    for (std::int64_t pages = 0; offset != 0; ++pages) {
        if (pages >= maxPages) break; // a looping chain is freed once round
        CheckChainOffset(offset, fileSize);
        TPageHeader header;
        ReadHeader(offset, header);
        WritePage(offset, blank, nullptr, 0);
        if (freeHint_ != 0 && offset < freeHint_) freeHint_ = offset;
        offset = header.Next;
    }
}

void TvekPagedFile::WriteRecord(std::uint32_t offset, const std::string& text, bool keepLock)
{
    if (!open_) throw EvekPageError("can not set record because file is not open");
    const std::string data = EncryptText(text);
    const std::size_t bodySize = pageSize_ - TPageHeader::Size;
    const std::uint8_t lock = keepLock ? slot_ : 0;
    std::size_t pos = 0;
    std::uint32_t page = offset != 0 ? offset : PageSearch(0);
    const std::int64_t maxPages = std::int64_t(UINT32_MAX) / pageSize_;
    // An empty record still takes one page, so that it exists and reads back empty.
    for (int n = 0;; ++n) {
        if (n > maxPages) throw EvekPageError("broken page chain at offset " + std::to_string(page) + " in " + fileName_);
        const std::size_t remaining = data.size() - pos;
        const bool last = remaining <= bodySize;
        TPageHeader old;
        if (offset != 0 && std::int64_t(page) < file_.Size()) ReadHeader(page, old);
        TPageHeader header;
        header.InUse = 1;
        header.First = n == 0 ? 1 : 0;
        header.Lock = lock;
        if (!last) {
            if (offset != 0 && old.Next != 0) {
                // A next page may lie at the end of the file (it is written there), never further.
                if (old.Next % pageSize_ != 0 || old.Next < pageSize_ || old.Next > file_.Size())
                    throw EvekPageError("broken page chain at offset " + std::to_string(page) + " in " + fileName_);
                header.Next = old.Next;
            } else {
                header.Next = PageSearch(page);
            }
        }
        WritePage(page, header, data.data() + pos, std::min(remaining, bodySize));
        if (last) {
            // The rest of a chain that grew shorter is freed after its new end is written.
            if (offset != 0 && old.Next != 0) FreeChain(old.Next);
            return;
        }
        pos += bodySize;
        page = header.Next;
    }
}

// ---- locks and writes

void TvekPagedFile::BeginWrite()
{
    if (writeDepth_++ > 0) return;
    if (!file_.Lock(kWriteLock, 1, true, kWriteWaitMs)) {
        --writeDepth_;
        throw EvekPageError("can not write: " + fileName_ + " is busy");
    }
    cacheLength_ = 0;
    if (file_.ChangeStamp() != stamp_) freeHint_ = 0; // someone else wrote: search from the start
}

void TvekPagedFile::EndWrite()
{
    if (--writeDepth_ > 0) return;
    stamp_ = file_.ChangeStamp();
    cacheLength_ = 0;
    file_.Unlock(kWriteLock, 1);
}

namespace {
// Ends a write however the scope is left.
class TWriteScope {
public:
    TWriteScope(std::function<void()> begin, std::function<void()> end) : end_(std::move(end)) { begin(); }
    ~TWriteScope() { end_(); }

private:
    std::function<void()> end_;
};
} // namespace

void TvekPagedFile::LockRecord(std::uint32_t offset)
{
    ReadHeader(offset, lockHeader_);
    if (LockedByOther(lockHeader_.Lock)) throw EvekPageError("Record locked by another user. Can not read.");
    if (lockHeader_.Lock == slot_) return;
    lockHeader_.Lock = slot_;
    unsigned char raw[TPageHeader::Size];
    lockHeader_.Write(raw);
    cacheLength_ = 0;
    file_.WriteAt(offset, raw, sizeof raw);
}

void TvekPagedFile::ClearRecordList()
{
    if (Records.Writable && open_ && !Records.Offsets.empty()) {
        TWriteScope write([this] { BeginWrite(); }, [this] { EndWrite(); });
        for (const std::uint32_t offset : Records.Offsets) {
            ReadHeader(offset, lockHeader_);
            if (lockHeader_.Lock != slot_) continue;
            lockHeader_.Lock = 0;
            unsigned char raw[TPageHeader::Size];
            lockHeader_.Write(raw);
            cacheLength_ = 0;
            file_.WriteAt(offset, raw, sizeof raw);
        }
    }
    Records.Strings.clear();
    Records.Offsets.clear();
    Records.Writable = false;
}

void TvekPagedFile::SelectRecords(const std::string& filter, bool lock)
{
    if (!open_) throw EvekPageError("can not get records because file is not open");
    ClearRecordList();
    Records.Writable = lock;
    std::unique_ptr<TRecordFilter> recordFilter;
    if (!filter.empty()) recordFilter = FilterFactory(filter);
    // Writers are kept out while the pages are read; with locking the lock bytes are claimed under
    // the same exclusive hold, so two users never both take a record.
    TWriteScope hold(
        [&] {
            if (lock) {
                BeginWrite();
            } else if (!file_.Lock(kWriteLock, 1, false, kWriteWaitMs)) {
                throw EvekPageError("can not read: " + fileName_ + " is busy");
            }
            cacheLength_ = 0;
        },
        [&] {
            if (lock)
                EndWrite();
            else
                file_.Unlock(kWriteLock, 1);
        });
    const std::int64_t fileSize = file_.Size();
    for (std::int64_t offset = pageSize_; offset < fileSize; offset += pageSize_) {
        TPageHeader header;
        ReadHeader(std::uint32_t(offset), header);
        if (!header.InUse || !header.First) continue;
        CurrentRecord = ReadRecord(std::uint32_t(offset));
        if (recordFilter && !recordFilter->Matches(CurrentRecord)) continue;
        if (lock) LockRecord(std::uint32_t(offset));
        Records.Strings.push_back(CurrentRecord);
        Records.Offsets.push_back(std::uint32_t(offset));
    }
}

std::string TvekPagedFile::GetRecord(int index) const
{
    if (!open_) throw EvekPageError("can not get record because file is not open");
    if (index < 0 || index >= Records.Count()) throw EvekPageError("record index out of range: " + std::to_string(index));
    return Records.Strings[std::size_t(index)];
}

void TvekPagedFile::UpdateRecord(int index, const std::string& text)
{
    if (!open_) throw EvekPageError("can not set record because file is not open");
    if (index < 0 || index >= Records.Count()) throw EvekPageError("record index out of range: " + std::to_string(index));
    if (!Records.Writable) throw EvekPageError("can not update; recordset is readonly");
    TWriteScope write([this] { BeginWrite(); }, [this] { EndWrite(); });
    WriteRecord(Records.Offsets[std::size_t(index)], text, true);
    Records.Strings[std::size_t(index)] = text;
}

void TvekPagedFile::AppendRecord(const std::string& text)
{
    if (!open_) throw EvekPageError("can not append record because file is not open");
    TWriteScope write([this] { BeginWrite(); }, [this] { EndWrite(); });
    WriteRecord(0, text, false);
}

void TvekPagedFile::DeleteRecord(int index)
{
    if (!open_) throw EvekPageError("can not delete record because file is not open");
    if (index < 0 || index >= Records.Count()) throw EvekPageError("record index out of range: " + std::to_string(index));
    if (!Records.Writable) throw EvekPageError("can not delete; recordset is readonly");
    TWriteScope write([this] { BeginWrite(); }, [this] { EndWrite(); });
    FreeChain(Records.Offsets[std::size_t(index)]);
    Records.Strings.erase(Records.Strings.begin() + index);
    Records.Offsets.erase(Records.Offsets.begin() + index);
}

int TvekPagedFile::FindRecord(const std::string& filter, int start)
{
    if (!open_) throw EvekPageError("can not find record because file is not open");
    if (Records.Count() == 0 || filter.empty() || start >= Records.Count()) return -1;
    std::unique_ptr<TRecordFilter> recordFilter = FilterFactory(filter);
    for (int i = std::max(start, 0); i < Records.Count(); ++i) {
        CurrentRecord = Records.Strings[std::size_t(i)];
        if (recordFilter->Matches(CurrentRecord)) return i;
    }
    return -1;
}

void TvekPagedFile::SortRecords(const std::string& fields)
{
    Records.SortFields = vektext::ReadCommaText(fields);
    Records.Sort();
}

// ---- sorting

void TRecordList::Sort()
{
    struct TField {
        std::string name;
        bool descending = false;
        bool numeric = false;
    };
    std::vector<TField> fields;
    for (std::string f : SortFields) {
        TField field;
        if (!f.empty() && f[0] == '-') {
            field.descending = true;
            f.erase(0, 1);
        }
        if (!f.empty() && f[0] == '#') {
            field.numeric = true;
            f.erase(0, 1);
        }
        field.name = f;
        fields.push_back(field);
    }
    if (fields.empty() || Strings.size() < 2) return;

    // The keys are taken once per record rather than once per comparison.
    struct TKey {
        std::vector<std::string> texts;
        std::vector<long long> numbers;
        std::size_t index;
    };
    std::vector<TKey> keys(Strings.size());
    for (std::size_t i = 0; i < Strings.size(); ++i) {
        keys[i].index = i;
        for (const TField& f : fields) {
            std::string value = vektext::AttributeValue(Strings[i], f.name);
            long long number = 0;
            if (f.numeric) {
                double d = 0;
                if (!vektext::ParseInt(value, number) && vektext::ParseFloat(value, d)) number = static_cast<long long>(d);
            }
            keys[i].texts.push_back(std::move(value));
            keys[i].numbers.push_back(number);
        }
    }
    std::stable_sort(keys.begin(), keys.end(), [&](const TKey& a, const TKey& b) {
        for (std::size_t k = 0; k < fields.size(); ++k) {
            int r;
            if (fields[k].numeric)
                r = a.numbers[k] < b.numbers[k] ? -1 : (a.numbers[k] > b.numbers[k] ? 1 : 0);
            else
                r = CompareText(a.texts[k], b.texts[k]);
            if (fields[k].descending) r = -r;
            if (r != 0) return r < 0;
        }
        return false;
    });
    std::vector<std::string> strings(Strings.size());
    std::vector<std::uint32_t> offsets(Offsets.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        strings[i] = std::move(Strings[keys[i].index]);
        offsets[i] = Offsets[keys[i].index];
    }
    Strings.swap(strings);
    Offsets.swap(offsets);
}
