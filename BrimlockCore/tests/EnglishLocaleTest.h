#pragma once

#include <gtest/gtest.h>
#include <unicode/locid.h>

// Runs a test under the en_US locale: locale-aware comparisons under the POSIX locale a test run may
// inherit (LANG=C) order letter case as a primary difference.
class EnglishLocaleTest : public ::testing::Test {
protected:
    void SetUp() override { use(icu::Locale("en_US")); }
    void TearDown() override { use(previous_); }

private:
    static void use(const icu::Locale& locale) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(locale, status);
        ASSERT_TRUE(U_SUCCESS(status));
    }

    icu::Locale previous_ = icu::Locale::getDefault();
};
