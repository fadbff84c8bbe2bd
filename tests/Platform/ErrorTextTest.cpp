#include "Platform/ErrorText.h"

#include <cerrno>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ErrorText, knownNumbersReadAsFrenchSentences)
{
    EXPECT_EQ(Platform::errorText(ENOENT), u"Le fichier ou le dossier n'existe pas."_s);
    EXPECT_EQ(Platform::errorText(EACCES), u"Permission refusée."_s);
    EXPECT_EQ(Platform::errorText(EEXIST), u"Un élément du même nom existe déjà."_s);
    EXPECT_EQ(Platform::errorText(EXDEV), u"L'élément se trouve sur un autre volume."_s);
}

TEST(ErrorText, unknownNumbersCarryTheirCode)
{
    EXPECT_EQ(Platform::errorText(9999), u"Erreur système (code 9999)."_s);
}
