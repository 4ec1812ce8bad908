// Where the common archive is, and that its password is never ours to keep or show.
#include <gtest/gtest.h>

#include <QFile>

#include "store/StoreAddress.h"

namespace {

struct AddressCase {
    const char* text;
    const char* shown;     // empty: refused
    const char* password;  // must appear in no message
};

class StoreAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(StoreAddressTest, PasswordRefusedAndNeverShown) {
    const AddressCase c = GetParam();
    const StoreAddress a = StoreAddress::fromText(QString::fromUtf8(c.text), "store.conf");
    EXPECT_EQ(a.configured(), *c.shown != 0) << a.error.toStdString();
    if (a.configured())
        EXPECT_EQ(a.shown(), QString::fromUtf8(c.shown));
    else
        EXPECT_TRUE(a.conninfo.isEmpty());
    if (*c.password) {
        EXPECT_FALSE(a.error.contains(QString::fromUtf8(c.password)));
        EXPECT_FALSE(a.shown().contains(QString::fromUtf8(c.password)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, StoreAddressTest,
    testing::Values(AddressCase{"postgresql://tabulon@db.example:5433/archive?sslmode=require",
                                "tabulon@db.example:5433/archive", ""},
                    AddressCase{"# the organisation's store\n\nhost=db dbname=archive user=t\n",
                                "t@db/archive", ""},
                    AddressCase{"postgresql://tabulon:s3cret-pw@db/archive", "", "s3cret-pw"},
                    AddressCase{"host=db dbname=archive password=s3cret-pw", "", "s3cret-pw"},
                    AddressCase{"host=db password='s3cret-pw dbname=x", "", "s3cret-pw"},
                    AddressCase{"postgresql://db/archive?password=s3cret-pw", "", "s3cret-pw"}));

TEST(StoreAddressFind, VariableStandsOverFilesAndNothingMeansNoStore) {
    qputenv("TABULON_SITES", "/nonexistent/sites.toml");
    qputenv("TABULON_STORE", "  ");
    const StoreAddress none = StoreAddress::find();
    // /etc/tabulon/store.conf is the machine's own; without it no store is set.
    if (!QFile::exists(StoreAddress::systemFile())) EXPECT_FALSE(none.configured());
    qputenv("TABULON_STORE", "host=db dbname=a");
    EXPECT_EQ(StoreAddress::find().origin, "TABULON_STORE");
    qunsetenv("TABULON_STORE");
}

}  // namespace
