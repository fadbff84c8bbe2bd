#include "Core/BundleIdentifier.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(BundleIdentifier, derivesFromTheWholeNameOfAnEntry)
{
    constexpr bool file = true;
    constexpr bool folder = false;
    const struct {
        QString name;
        bool isRegularFile;
        std::optional<QString> identifier;
    } cases[] = {
        // An App Group, then a team prefix of exactly ten upper-case letters and digits.
        {u"group.com.example.notes"_s, folder, u"com.example.notes"_s},
        {u"ABCDE12345.com.example.notes"_s, folder, u"com.example.notes"_s},
        {u"group.ABCDE12345.com.example.notes"_s, folder, u"com.example.notes"_s},
        {u"abcde12345.com.example.notes"_s, folder, u"abcde12345.com.example.notes"_s},
        {u"ABCDE1234.com.example.notes"_s, folder, u"ABCDE1234.com.example.notes"_s},
        {u"ABCDE123456.com.example.notes"_s, folder, u"ABCDE123456.com.example.notes"_s},
        {u"Group.com.example.notes"_s, folder, u"Group.com.example.notes"_s},
        // A file's data extension goes; the last part of a folder or of a bare file name stays.
        {u"com.example.notes.plist"_s, file, u"com.example.notes"_s},
        {u"com.example.Notes.PLIST"_s, file, u"com.example.Notes"_s},
        {u"com.example.notes.sqlite"_s, file, u"com.example.notes"_s},
        {u"group.com.example.notes.plist"_s, file, u"com.example.notes"_s},
        {u"com.example.notes"_s, file, u"com.example.notes"_s},
        {u"com.acme.suite.writer"_s, folder, u"com.acme.suite.writer"_s},
        {u"com.example.notes.plist"_s, folder, u"com.example.notes.plist"_s},
        {u"fr.éditions.carnet"_s, folder, u"fr.éditions.carnet"_s},
        // The suffixes the system appends, several one after the other, in their case only.
        {u"com.example.notes.savedState"_s, folder, u"com.example.notes"_s},
        {u"com.example.notes.sfl2.savedState"_s, folder, u"com.example.notes"_s},
        {u"com.example.notes.sfl3"_s, file, u"com.example.notes"_s},
        {u"com.example.notes.LSSharedFileList.plist"_s, file, u"com.example.notes"_s},
        {u"com.example.notes.SavedState"_s, folder, u"com.example.notes.SavedState"_s},
        // Names that carry no identifier.
        {u"com.example"_s, folder, std::nullopt},
        {u"com.example.plist"_s, file, std::nullopt},
        {u"Notes"_s, folder, std::nullopt},
        {u"com..example.notes"_s, folder, std::nullopt},
        {u".com.example.notes"_s, folder, std::nullopt},
        {u"com.example.notes."_s, folder, std::nullopt},
        {u"1password.example.notes"_s, folder, std::nullopt},
        {u"com.example.my notes"_s, folder, std::nullopt},
        {u"com.example.notes+"_s, folder, std::nullopt},
        {u"Ondine-5.0.4.dmg"_s, file, std::nullopt},
        {u"wget--1.21.4.bottle.tar.gz"_s, file, std::nullopt},
        {u"group."_s, folder, std::nullopt},
        {u""_s, file, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BundleIdentifier::fromEntryName(c.name, c.isRegularFile), c.identifier)
            << c.name.toStdString() << (c.isRegularFile ? " (file)" : " (folder)");
}
