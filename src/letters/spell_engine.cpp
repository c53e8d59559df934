#include "letters/spell_engine.h"

#include "core/text_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell.hxx>

namespace qb {

namespace {

std::optional<DictionaryFiles> pair(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    DictionaryFiles f{dir.filePath(name + QStringLiteral(".aff")), dir.filePath(name + QStringLiteral(".dic"))};
    if (QFileInfo(f.aff).isFile() && QFileInfo(f.dic).isFile())
        return f;
    return std::nullopt;
}

// The typographic apostrophe word processors put in "don’t" is the apostrophe.
QString plainApostrophes(QString word)
{
    word.replace(QChar(0x2019), QLatin1Char('\''));
    return word;
}

} // namespace

std::optional<DictionaryFiles> findMainDictionary(const QString& programFolder, const QString& localeName)
{
    if (auto own = pair(programFolder, QStringLiteral("quillb")))
        return own;
    QStringList names{localeName};
    if (localeName.contains(QLatin1Char('_')))
        names << localeName.section(QLatin1Char('_'), 0, 0);
    names << QStringLiteral("en_US");
    for (const QString& name : names)
        for (const char* folder : {"/usr/share/hunspell", "/usr/share/myspell/dicts", "/usr/share/myspell"})
            if (auto system = pair(QLatin1String(folder), name))
                return system;
    return std::nullopt;
}

std::optional<DictionaryFiles> findMainDictionary(const QString& programFolder)
{
    return findMainDictionary(programFolder, QLocale::system().name());
}

SpellEngine::SpellEngine() = default;

SpellEngine::~SpellEngine() = default;

bool SpellEngine::openMain(const DictionaryFiles& files)
{
    hunspell_.reset();
    if (!QFileInfo(files.aff).isFile() || !QFileInfo(files.dic).isFile())
        return false;
    hunspell_ = std::make_unique<Hunspell>(QFile::encodeName(files.aff).constData(),
                                           QFile::encodeName(files.dic).constData());
    encoding_ = QString::fromStdString(hunspell_->get_dict_encoding());
    return true;
}

bool SpellEngine::openUser(const QString& path)
{
    userPath_.clear();
    userWords_.clear();
    userLower_.clear();
    if (!QFileInfo::exists(path)) {
        if (!writeLines1252(path, {}))
            return false;
        userPath_ = path;
        return true;
    }
    // Nothing a user adds by hand comes near a few megabytes.
    const std::optional<QString> text = readText1252(path, 4 << 20);
    if (!text)
        return false;
    for (const QString& line : text->split(QLatin1Char('\n'))) {
        const QString word = line.trimmed();
        if (word.isEmpty() || userLower_.contains(word.toLower()))
            continue;
        userWords_ << word;
        userLower_.insert(plainApostrophes(word).toLower());
    }
    userPath_ = path;
    return true;
}

void SpellEngine::close()
{
    hunspell_.reset();
    userPath_.clear();
    userWords_.clear();
    userLower_.clear();
}

std::string SpellEngine::encode(const QString& word) const
{
    if (encoding_.isEmpty() || encoding_.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0)
        return word.toStdString();
    QStringEncoder e(encoding_.toLatin1().constData());
    if (!e.isValid())
        return word.toStdString();
    return QByteArray(e.encode(word)).toStdString();
}

QString SpellEngine::decode(const std::string& word) const
{
    if (encoding_.isEmpty() || encoding_.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0)
        return QString::fromStdString(word);
    QStringDecoder d(encoding_.toLatin1().constData());
    if (!d.isValid())
        return QString::fromStdString(word);
    return d.decode(QByteArray::fromStdString(word));
}

bool SpellEngine::known(const QString& word) const
{
    if (userLower_.contains(word.toLower()))
        return true;
    return hunspell_ && hunspell_->spell(encode(word));
}

bool SpellEngine::check(const QString& original) const
{
    const QString word = plainApostrophes(original);
    if (word.size() <= 1 || known(word))
        return true;
    const QString lower = word.toLower();
    if (known(lower) || known(lower.left(1).toUpper() + lower.mid(1)))
        return true;
    if (lower.endsWith(QLatin1String("'s")) && word.size() > 2)
        return check(word.left(word.size() - 2));
    return false;
}

QStringList SpellEngine::suggest(const QString& word) const
{
    QStringList out;
    if (!hunspell_)
        return out;
    for (const std::string& s : hunspell_->suggest(encode(plainApostrophes(word)))) {
        out << decode(s);
        if (out.size() == kMaxSuggestions)
            break;
    }
    return out;
}

bool SpellEngine::addWord(const QString& word)
{
    const QString w = word.trimmed();
    if (w.isEmpty())
        return false;
    if (!userLower_.contains(plainApostrophes(w).toLower())) {
        userWords_ << w;
        userLower_.insert(plainApostrophes(w).toLower());
    }
    return !userPath_.isEmpty() && writeLines1252(userPath_, userWords_);
}

} // namespace qb
