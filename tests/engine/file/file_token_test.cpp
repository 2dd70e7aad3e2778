// File::GetToken: splitting words off a line of text.
#include "engine/file/file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(FileGetToken, WordsOfALineThenNothing) {
    char line[64] = "abc def\n";
    char token[64];
    EXPECT_EQ(File::GetToken(line, token), 1);
    EXPECT_STREQ(token, "abc");
    EXPECT_STREQ(line, "def"); // the newline is dropped from the rest
    EXPECT_EQ(File::GetToken(line, token), 1);
    EXPECT_STREQ(token, "def");
    EXPECT_STREQ(line, "");
    EXPECT_EQ(File::GetToken(line, token), 0);
    EXPECT_STREQ(token, "");
}

TEST(FileGetToken, LastTokenKeepsItsNewlineAndWhatFollows) {
    char line[64] = "abc\n";
    char token[64];
    EXPECT_EQ(File::GetToken(line, token), 1);
    EXPECT_STREQ(token, "abc\n");
    EXPECT_STREQ(line, "");

    char twoLines[64] = "  abc\nnext";
    EXPECT_EQ(File::GetToken(twoLines, token), 1);
    EXPECT_STREQ(token, "abc\nnext");
    EXPECT_STREQ(twoLines, "");
}

TEST(FileGetToken, BlankLinesGiveNoTokenAndStayAsTheyWere) {
    char token[64] = "stale";
    for (const char* text : {"", "\n", " \t \n", "   "}) {
        char line[64];
        std::strcpy(line, text);
        EXPECT_EQ(File::GetToken(line, token), 0) << "line '" << text << "'";
        EXPECT_STREQ(token, "");
        EXPECT_STREQ(line, text);
    }
}

TEST(FileGetToken, SeparatorsAndTabs) {
    char line[64] = " 12,34\t56,7 8\n";
    char token[64];
    EXPECT_EQ(File::GetToken(line, token, ','), 1);
    EXPECT_STREQ(token, "12");
    EXPECT_STREQ(line, "34\t56,7 8");
    EXPECT_EQ(File::GetToken(line, token, ','), 1); // a tab always ends a token
    EXPECT_STREQ(token, "34");
    EXPECT_STREQ(line, "56,7 8");
    EXPECT_EQ(File::GetToken(line, token, ','), 1);
    EXPECT_STREQ(token, "56");
    EXPECT_EQ(File::GetToken(line, token, ','), 1); // spaces belong to the token here
    EXPECT_STREQ(token, "7 8");
    EXPECT_STREQ(line, "");

    char empty[64] = ",,x";
    EXPECT_EQ(File::GetToken(empty, token, ','), 1); // an empty field is still a token
    EXPECT_STREQ(token, "");
    EXPECT_STREQ(empty, ",x");
}

} // namespace
