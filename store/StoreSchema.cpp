#include "store/StoreSchema.h"

#include <initializer_list>

#include "res/Texts.h"
#include "store/StoreConnection.h"

namespace {

// Version 1: the machines, the forms with their text as Unicode, the exchange records with
// their fields as columns and the whole record. A form is one row however often it is sent:
// its content's hash with its site and time is the key (the same for every machine that holds
// the file: a shared folder, a restore); a record likewise by its own bytes and its start.
const std::initializer_list<const char*> kVersion1 = {
    "CREATE TABLE tabulon_store (id uuid PRIMARY KEY DEFAULT gen_random_uuid(),"
    " created timestamptz NOT NULL DEFAULT now())",
    "INSERT INTO tabulon_store DEFAULT VALUES",
    "CREATE TABLE machines (id serial PRIMARY KEY, machine_key text NOT NULL UNIQUE,"
    " host_name text NOT NULL, first_seen timestamptz NOT NULL DEFAULT now())",
    "CREATE TABLE forms (id bigserial PRIMARY KEY, site text NOT NULL, port text NOT NULL,"
    " device text NOT NULL, speed integer, received timestamptz NOT NULL,"
    " file_name text NOT NULL, size bigint NOT NULL, hash bytea NOT NULL, body text NOT NULL,"
    " incomplete boolean NOT NULL, machine integer NOT NULL REFERENCES machines,"
    " uploaded timestamptz NOT NULL DEFAULT now(), UNIQUE (hash, site, received))",
    "CREATE INDEX forms_received ON forms (received, site)",
    "CREATE TABLE exchanges (id bigserial PRIMARY KEY, site text NOT NULL, port text NOT NULL,"
    " device text NOT NULL, speed integer NOT NULL, started timestamptz NOT NULL,"
    " ended timestamptz NOT NULL, outcome text NOT NULL, form_count integer NOT NULL,"
    " bytes bigint NOT NULL, tries integer NOT NULL, hash bytea NOT NULL, record jsonb NOT NULL,"
    " machine integer NOT NULL REFERENCES machines,"
    " uploaded timestamptz NOT NULL DEFAULT now(), UNIQUE (hash, site, started))",
    "CREATE INDEX exchanges_started ON exchanges (started, site)",
};

// Version 2: the forms searched as the local index searches them. The text folded as the
// local index folds it (lower case, ё as е; ICU's rules, so that a database made with the C
// locale folds Cyrillic too), and its trigrams indexed, so that a term of three characters or
// more is found anywhere in a form, inside words and numbers. pg_trgm is trusted: the
// database's owner may create it. The russian dictionary's stems and stop words are left out on
// purpose: they would find forms the local index does not, and lose the short words it finds.
const std::initializer_list<const char*> kVersion2 = {
    "CREATE EXTENSION IF NOT EXISTS pg_trgm",
    "CREATE FUNCTION tabulon_fold(text) RETURNS text IMMUTABLE STRICT PARALLEL SAFE"
    " LANGUAGE sql AS $$ SELECT translate(lower($1 COLLATE \"und-x-icu\"), 'ё', 'е') $$",
    "CREATE INDEX forms_text ON forms USING gin (tabulon_fold(body) gin_trgm_ops)",
};

// Version 3: the search fast over millions of forms. Folding a form costs more than reading
// it, so the folded text is kept beside the text, folded once as it is stored, and a row keeps
// both in its page (compressed) rather than in the TOAST table, so that reading the newest forms
// one after another stays a walk through the table. A number is found through its own pieces
// (each of 4 to 12 digits of a run of digits), as the local index finds it: every trigram of
// digits is in most forms of figures. Two indexes serve the newest forms first, of all sites
// and of one.
const std::initializer_list<const char*> kVersion3 = {
    "CREATE OR REPLACE FUNCTION tabulon_fold(text) RETURNS text IMMUTABLE STRICT PARALLEL SAFE"
    " LANGUAGE sql AS $$ SELECT replace(lower($1 COLLATE \"und-x-icu\"), 'ё', 'е') $$",
    // PL/pgSQL: the same in one query of SQL is planned anew for each form, a hundred times
    // slower. A piece met twice is listed twice; the index keeps it once.
    "CREATE FUNCTION tabulon_numbers(text) RETURNS text[] IMMUTABLE STRICT PARALLEL SAFE"
    " LANGUAGE plpgsql AS $$ DECLARE run text; pieces text[] := '{}'; BEGIN"
    " FOR run IN SELECT m[1] FROM regexp_matches($1, '[0-9]{4,}', 'g') m LOOP"
    " FOR s IN 1 .. length(run) - 3 LOOP FOR n IN 4 .. least(12, length(run) - s + 1) LOOP"
    " pieces := pieces || substr(run, s, n); END LOOP; END LOOP; END LOOP;"
    " RETURN pieces; END $$",
    "DROP INDEX forms_text",
    "ALTER TABLE forms SET (toast_tuple_target = 4080)",
    "ALTER TABLE forms ADD COLUMN folded text GENERATED ALWAYS AS (tabulon_fold(body)) STORED",
    "CREATE INDEX forms_folded ON forms USING gin (folded gin_trgm_ops)",
    "CREATE INDEX forms_numbers ON forms USING gin (tabulon_numbers(body))",
    "DROP INDEX forms_received",
    "CREATE INDEX forms_newest ON forms (received DESC, id DESC)",
    "CREATE INDEX forms_site_newest ON forms (site, received DESC, id DESC)",
    "ANALYZE forms",
};

// Version 4: a date found among a million forms. Its runs of digits are short or in most forms
// (the year), and so are its trigrams, so a run of three or more groups of digits joined by
// . , : / or - (a date, a time with seconds) is indexed by its pieces of three groups, the outer
// two cut to a suffix and a prefix of up to 4 digits: a term cut anywhere inside such a run
// still holds one of them whole. Two groups (a decimal figure) are left out: forms are full of
// them, and their index would outgrow the forms.
const std::initializer_list<const char*> kVersion4 = {
    "CREATE FUNCTION tabulon_dates(text) RETURNS text[] IMMUTABLE STRICT PARALLEL SAFE"
    " LANGUAGE plpgsql AS $$ DECLARE run text; g text[]; s text[]; pieces text[] := '{}'; BEGIN"
    " FOR run IN SELECT m[1] FROM regexp_matches($1, '[0-9]+(?:[.,:/-][0-9]+){2,}', 'g') m LOOP"
    " g := regexp_split_to_array(run, '[.,:/-]');"
    " s := ARRAY(SELECT x[1] FROM regexp_matches(run, '[.,:/-]', 'g') x);"
    " FOR i IN 1 .. array_length(g, 1) - 2 LOOP FOR a IN 1 .. least(4, length(g[i])) LOOP"
    " FOR b IN 1 .. least(4, length(g[i + 2])) LOOP pieces := pieces || (right(g[i], a) || s[i]"
    " || g[i + 1] || s[i + 1] || left(g[i + 2], b)); END LOOP; END LOOP; END LOOP; END LOOP;"
    " RETURN pieces; END $$",
    "CREATE INDEX forms_dates ON forms USING gin (tabulon_dates(body))",
    "ANALYZE forms",
};

// Index i holds the statements that bring version i to i + 1.
const std::initializer_list<const std::initializer_list<const char*>*> kMigrations = {
    &kVersion1, &kVersion2, &kVersion3, &kVersion4};
static_assert(StoreSchema::kVersion == 4, "one migration per version");

constexpr const char* kSchemaTable = "tabulon_schema";

// 0 for a store nobody has made yet; -1 when it cannot be read.
int versionOf(StoreConnection& c) {
    const auto exists = c.run("SELECT to_regclass('tabulon_schema') IS NOT NULL", {}, kSchemaTable);
    if (!exists) return -1;
    if (exists->text(0, 0) != u"t") return 0;
    const auto version =
        c.run("SELECT coalesce(max(version), 0) FROM tabulon_schema", {}, kSchemaTable);
    return version ? version->text(0, 0).toInt() : -1;
}

bool apply(StoreConnection& c, int from) {
    if (from == 0 && !c.run("CREATE TABLE tabulon_schema (version integer PRIMARY KEY,"
                            " applied timestamptz NOT NULL DEFAULT now())",
                            {}, kSchemaTable))
        return false;
    for (int version = from; version < StoreSchema::kVersion; ++version) {
        for (const char* statement : *kMigrations.begin()[version])
            if (!c.run(statement, {}, kSchemaTable)) return false;
        if (!c.run("INSERT INTO tabulon_schema (version) VALUES ($1)",
                   {QByteArray::number(version + 1)}, kSchemaTable))
            return false;
    }
    return true;
}

// Whether the server has pg_trgm to give (PostgreSQL's contrib package installed).
bool trigramsAvailable(StoreConnection& c) {
    const auto found = c.run("SELECT count(*) FROM pg_available_extensions WHERE name = 'pg_trgm'",
                             {}, "pg_available_extensions");
    return !found || found->text(0, 0) != u"0";
}

// A migration builds indexes over every form: a minute for a million. Under the connection's own
// limit of seconds it would be given up every time, and the server would build each index to the
// end only to throw it away.
constexpr int kMigrationMs = 3 * 3600 * 1000;

constexpr const char* kLock = "SELECT pg_advisory_lock(7261530001)";
constexpr const char* kUnlock = "SELECT pg_advisory_unlock(7261530001)";

// Under a lock, the version read again: another machine may have migrated while this one
// waited. The lock is the session's and taken before the transaction begins, as only a new
// transaction sees the tables another one made meanwhile. A role that may not create tables is
// told that the owner makes them.
bool migrateLocked(StoreConnection& c) {
    if (!c.run(kLock)) return false;
    bool done = false;
    if (c.run("BEGIN")) {
        const int version = versionOf(c);
        done = version >= 0 && apply(c, version) && c.run("COMMIT");
    }
    const StoreConnection::Failure failure = c.failure();
    const QString message = c.message();
    if (!done && c.isOpen()) c.run("ROLLBACK");
    const bool noTrigrams = !done && c.isOpen() && !trigramsAvailable(c);
    if (c.isOpen()) c.run(kUnlock);
    if (done) return true;
    if (noTrigrams)
        c.fail(StoreConnection::Failure::Other, texts::kStoreNoTrigrams.arg(c.address().shown()));
    else if (failure == StoreConnection::Failure::NoRight)
        c.fail(failure, texts::kStoreNoSchema.arg(c.address().shown(), c.role()));
    else
        c.fail(failure, message);
    return false;
}

// Whether this program may use the store as it is: -1 when not (the connection says why), else
// its version.
int usableVersion(StoreConnection& c) {
    const int version = versionOf(c);
    if (version > StoreSchema::kVersion) {
        // A newer program made it: writing as this one would leave out what it added.
        c.fail(StoreConnection::Failure::Other, texts::kStoreNewerSchema.arg(c.address().shown())
                                                    .arg(version)
                                                    .arg(StoreSchema::kVersion));
        return -1;
    }
    return version;
}

bool readId(StoreConnection& c, QString* storeId) {
    const auto id = c.run("SELECT id::text FROM tabulon_store", {}, "tabulon_store");
    if (!id || id->count() != 1) return false;
    *storeId = id->text(0, 0);
    return true;
}

}  // namespace

namespace StoreSchema {

bool migrate(StoreConnection& c, QString* storeId) {
    const int version = usableVersion(c);
    if (version < 0) return false;
    if (version < kVersion) {
        const int timeoutMs = c.timeoutMs();
        c.setTimeoutMs(kMigrationMs);
        const bool migrated = migrateLocked(c);
        c.setTimeoutMs(timeoutMs);
        if (!migrated) return false;
    }
    return readId(c, storeId);
}

bool isCurrent(StoreConnection& c, QString* storeId) {
    const int version = usableVersion(c);
    if (version < 0) return false;
    if (version == 0) {
        c.fail(StoreConnection::Failure::Other, texts::kStoreEmpty.arg(c.address().shown()));
        return false;
    }
    if (version < kVersion) {
        c.fail(StoreConnection::Failure::Other,
               texts::kStoreOlderSchema.arg(c.address().shown()).arg(version).arg(kVersion));
        return false;
    }
    return readId(c, storeId);
}

}  // namespace StoreSchema
