#include "Platform/UserDefaults.h"

#include "Platform/FileOperations.h"
#include "Platform/FileSystem.h"
#include "Platform/PropertyList.h"
#include "Platform/SystemRoot.h"

#include <map>

#include <QDateTime>
#include <QDir>

using namespace Qt::StringLiterals;

namespace Platform {

namespace {

// The live stores by file path. Weak, so that a file nobody holds is read afresh when it is opened again.
struct Registry {
    std::mutex mutex;
    std::map<QString, std::weak_ptr<UserDefaults>> stores;
};

Registry& registry()
{
    static Registry r;
    return r;
}

} // namespace

std::shared_ptr<UserDefaults> UserDefaults::standard()
{
    return forDomain(u"com.ostrek.quorvanepro"_s);
}

std::shared_ptr<UserDefaults> UserDefaults::forDomain(const QString& domain)
{
    return atPath(homeFolder() + u"/Library/Preferences/"_s + domain + u".plist"_s);
}

std::shared_ptr<UserDefaults> UserDefaults::atPath(const QString& path)
{
    QString key = QDir::cleanPath(path);
    if (!key.startsWith(u'/'))
        key = QDir::cleanPath(QDir::currentPath() + u'/' + key);
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    if (std::shared_ptr<UserDefaults> live = r.stores[key].lock())
        return live;
    std::shared_ptr<UserDefaults> store(new UserDefaults(key));
    r.stores[key] = store;
    return store;
}

UserDefaults::UserDefaults(QString path) : m_path(std::move(path))
{
    if (!fileInfo(m_path))
        return;
    const std::optional<QVariant> contents = PropertyList::readFile(m_path);
    if (contents && contents->typeId() == QMetaType::QVariantMap)
        m_values = contents->toMap();
    else
        m_unreadableFile = true;
}

UserDefaults::~UserDefaults()
{
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    const auto it = r.stores.find(m_path);
    // A new store for the same file may already have taken the place of this one.
    if (it != r.stores.end() && it->second.expired())
        r.stores.erase(it);
}

std::optional<QVariant> UserDefaults::value(const QString& key) const
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_values.constFind(key);
    if (it == m_values.cend())
        return std::nullopt;
    return *it;
}

std::optional<QString> UserDefaults::string(const QString& key) const
{
    const std::optional<QVariant> stored = value(key);
    if (!stored || stored->typeId() != QMetaType::QString)
        return std::nullopt;
    return stored->toString();
}

QVariantMap UserDefaults::dictionary() const
{
    const std::lock_guard lock(m_mutex);
    return m_values;
}

std::optional<QString> UserDefaults::setValue(const QString& key, const QVariant& value)
{
    // Held as the file gives it back (a QStringList as a list, an int as a 64-bit integer, a date in UTC), so
    // that a value reads the same before and after the next launch.
    const std::optional<QByteArray> bytes = PropertyList::serialize(QVariantMap{{key, value}});
    const std::optional<QVariant> stored = bytes ? PropertyList::parse(*bytes) : std::nullopt;
    if (!stored)
        return u"Cette valeur ne peut pas être enregistrée dans les réglages."_s;
    const std::lock_guard lock(m_mutex);
    m_values.insert(key, stored->toMap().value(key));
    return saveLocked();
}

std::optional<QString> UserDefaults::removeValue(const QString& key)
{
    const std::lock_guard lock(m_mutex);
    m_values.remove(key);
    return saveLocked();
}

// Called with m_mutex held, so that writes reach the file in the order the changes were made.
std::optional<QString> UserDefaults::saveLocked()
{
    const std::optional<QByteArray> bytes = PropertyList::serialize(m_values, PropertyList::Format::Binary);
    if (!bytes)
        return u"Les réglages n'ont pas pu être mis en forme."_s;
    if (auto failure = createFolder(parentOf(m_path)))
        return failure;
    if (m_unreadableFile) {
        m_unreadableFile = false;
        const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss"_s);
        // Best effort: should the file not move aside, the settings are still written.
        moveItem(m_path, m_path + u".unreadable-"_s + stamp);
    }
    return writeFileAtomically(m_path, *bytes, 0600);
}

} // namespace Platform
