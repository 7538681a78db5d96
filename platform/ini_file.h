#pragma once
// TIniFile: INI files with the Windows rules. Sections and keys match without regard to case and
// keep their file order; blanks around names and values are trimmed; integers may be written as
// "0x"/"0X" hexadecimal, and a value that is not an integer gives the default; strings are read up
// to 1023 characters; booleans are written "1"/"0" and read as integers (non-zero is true).
// Every write reaches the file at once through an atomic replace (temporary file + rename), unless
// a TIniFile::TBatch is alive, which flushes once at its end. A write that fails leaves the object
// updated in memory, keeps the old file and records the reason in LastError().
#include <string>
#include <vector>

class TIniFile {
 public:
  explicit TIniFile(std::string fileName);  // reads the file if it exists
  // A file that lives in memory only (nothing is ever written), filled from INI text.
  static TIniFile FromText(const std::string& text);

  // The integer rule of the readers: decimal or "0x" hexadecimal, the whole text, 32 bits.
  static bool ParseInteger(const std::string& text, int& value);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) const;
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // Key names of a section in file order.
  std::vector<std::string> ReadSection(const std::string& section) const;
  std::vector<std::string> ReadSections() const;
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& key);

  // Writes the file now (also what every write does outside a batch). False on failure.
  bool Flush();
  // Empty after a successful write; otherwise the reason of the last failed write.
  const std::string& LastError() const { return lastError_; }

  // Collects the writes of a scope into one file replace.
  class TBatch {
   public:
    explicit TBatch(TIniFile& ini) : ini_(ini) { ++ini_.batchDepth_; }
    ~TBatch() {
      if (--ini_.batchDepth_ == 0 && ini_.dirty_) ini_.Flush();
    }
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;

   private:
    TIniFile& ini_;
  };

 private:
  struct TEntry {
    std::string key;
    std::string value;
  };
  struct TSection {
    std::string name;
    std::vector<TEntry> entries;
  };

  void Parse(const std::string& text);
  std::string Serialize() const;
  const TSection* FindSection(const std::string& name) const;
  TSection* FindSection(const std::string& name);
  const TEntry* FindEntry(const std::string& section, const std::string& key) const;
  void Changed();

  std::string fileName_;
  std::vector<TSection> sections_;
  std::string lastError_;
  int batchDepth_ = 0;
  bool dirty_ = false;
};
