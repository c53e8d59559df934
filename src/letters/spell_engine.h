#pragma once
// The spell engine of the letter editor: hunspell with a main dictionary from
// the system (or the program folder), and the user dictionary "quillbu.dct" in
// the program folder, one word a line, which keeps the words the user added.

#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class Hunspell;

namespace qb {

struct DictionaryFiles {
    QString aff, dic;
};

inline const QString kUserDictionaryName = QStringLiteral("quillbu.dct");
inline constexpr int kMaxSuggestions = 10;

// The main dictionary: "quillb.aff" and "quillb.dic" in programFolder when
// both are there; otherwise the system's hunspell dictionary for the locale's
// language (language_COUNTRY, then language), and at last for en_US. The
// system's dictionaries live in /usr/share/hunspell (and the older
// /usr/share/myspell/dicts); Debian's hunspell-xx-yy packages put them there.
std::optional<DictionaryFiles> findMainDictionary(const QString& programFolder, const QString& localeName);
std::optional<DictionaryFiles> findMainDictionary(const QString& programFolder);

class SpellEngine {
public:
    SpellEngine();
    ~SpellEngine();
    SpellEngine(const SpellEngine&) = delete;
    SpellEngine& operator=(const SpellEngine&) = delete;

    bool openMain(const DictionaryFiles& files);
    // Opens the user dictionary, creating it empty when it does not exist;
    // false when it can be neither read nor created.
    bool openUser(const QString& path);
    bool hasUser() const { return !userPath_.isEmpty(); }
    void close();

    // Known to the main or the user dictionary in any letter case. Words of
    // one character are known, and so is a word ending in "'s" whose stem is.
    bool check(const QString& word) const;
    // At most kMaxSuggestions replacements, best first.
    QStringList suggest(const QString& word) const;
    // Adds word to the user dictionary and its file; false when the file
    // could not be written (the word is still known for this check).
    bool addWord(const QString& word);

private:
    bool known(const QString& word) const;
    std::string encode(const QString& word) const;
    QString decode(const std::string& word) const;

    std::unique_ptr<Hunspell> hunspell_;
    QString encoding_;
    QString userPath_;
    QStringList userWords_;
    QSet<QString> userLower_;
};

} // namespace qb
