#pragma once
#include "platform/Errors.h"
#include "platform/FileLock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Every failure of a paged record file: a message text only.
class EvekPageError : public EvekError {
public:
    using EvekError::EvekError;
};

// The 12-byte header every page starts with (little-endian on disk).
struct TPageHeader {
    std::uint8_t InUse = 0;
    std::uint8_t First = 0;
    std::uint32_t Next = 0; // offset of the next page of the record; in page 0 the page size
    std::uint8_t Lock = 0;  // slot of the user who locked the record
    static constexpr int Size = 12;
    void Read(const unsigned char* bytes);
    void Write(unsigned char* bytes) const;
};

// Decides for a selection whether a record (its decrypted text) is taken.
class TRecordFilter {
public:
    virtual ~TRecordFilter() = default;
    virtual bool Matches(const std::string& record) = 0;
};
using TRecordFilterFactory = std::function<std::unique_ptr<TRecordFilter>(const std::string& filterScript)>;
// The filters of vekScript: the text is loaded once into its own script component and run for each
// record, its external variables read from the record's key="value" attributes.
std::unique_ptr<TRecordFilter> MakeScriptRecordFilter(const std::string& filterScript);

class TvekPagedFile;

// The selected records: decrypted texts with the offsets of their first pages.
class TRecordList {
public:
    explicit TRecordList(TvekPagedFile& owner) : Owner(owner) {}
    std::vector<std::string> Strings;
    std::vector<std::uint32_t> Offsets;
    bool Writable = false; // selected with locking
    std::vector<std::string> SortFields;
    TvekPagedFile& Owner;
    int Count() const { return static_cast<int>(Strings.size()); }
    void Sort(); // by SortFields
};

// A file of fixed-size pages holding variable-length text records, each encrypted with keys made
// from the user's name and password. Several users (processes, or several opens in one process)
// share a file: each holds a slot of the companion ".users" table and marks the records it selected
// for change with its slot number.
class TvekPagedFile {
public:
    TvekPagedFile();
    ~TvekPagedFile();
    TvekPagedFile(const TvekPagedFile&) = delete;
    TvekPagedFile& operator=(const TvekPagedFile&) = delete;

    void CreateFile(const std::string& fileName, int pageSize, const std::string& userName, const std::string& password);
    void OpenFile(const std::string& fileName, const std::string& userName, const std::string& password);
    void CloseFile();
    void SelectRecords(const std::string& filter, bool lock);
    int RecordCount() const { return Records.Count(); }
    std::string GetRecord(int index) const;
    void UpdateRecord(int index, const std::string& text);
    void AppendRecord(const std::string& text);
    void DeleteRecord(int index);
    int FindRecord(const std::string& filter, int start);
    void SortRecords(const std::string& fields);

    bool IsOpen() const { return open_; }
    int Slot() const { return slot_; }
    int PageSize() const { return static_cast<int>(pageSize_); }
    const std::string& FileName() const { return fileName_; }

    static std::uint32_t StringKey(const std::string& text);
    std::string EncryptText(const std::string& text) const;
    std::string DecryptText(const std::string& text) const;
    // The companion slot table of a paged file.
    static std::string UsersFileName(const std::string& fileName);

    TRecordList Records;
    // The record a filter is looking at.
    std::string CurrentRecord;
    // How filter texts become filters; vekScript unless a host sets another.
    TRecordFilterFactory FilterFactory = MakeScriptRecordFilter;

private:
    void SetKeys(const std::string& userName, const std::string& password);
    void TakeSlot();
    void ReleaseSlot();
    void ClearRecordList();
    void LockRecord(std::uint32_t offset);
    bool LockedByOther(std::uint8_t lockSlot) const;
    std::string ReadRecord(std::uint32_t offset);
    void WriteRecord(std::uint32_t offset, const std::string& text, bool keepLock);
    void FreeChain(std::uint32_t offset);
    std::uint32_t PageSearch(std::uint32_t start);
    void ReadHeader(std::uint32_t offset, TPageHeader& header);
    const unsigned char* PageBytes(std::uint32_t offset);
    void WritePage(std::uint32_t offset, const TPageHeader& header, const char* body, std::size_t bodyLength);
    void CheckChainOffset(std::uint32_t offset, std::int64_t fileSize) const;
    // Starts a write: takes the write lock and drops what may have changed since the last one.
    void BeginWrite();
    void EndWrite();

    TSharedFile file_;
    std::string fileName_, userName_, password_;
    std::uint32_t userKey_ = 0, passwordKey_ = 0, phraseKey_ = 0;
    std::uint32_t pageSize_ = 0;
    bool open_ = false;
    std::uint8_t slot_ = 0;
    TPageHeader header_, lockHeader_;

    // Pages read in blocks; dropped whenever the file may have changed.
    std::vector<unsigned char> cache_;
    std::size_t cacheLength_ = 0; // 0: nothing cached
    std::int64_t cacheStart_ = 0;
    // Every page from the first record page below freeHint_ was in use at the last write of this
    // user; valid while the file's change stamp is the one that write left.
    std::uint32_t freeHint_ = 0;
    std::uint64_t stamp_ = 0;
    int writeDepth_ = 0;
};
