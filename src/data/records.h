#pragma once
// The four data files of the directory: their record buffers as fixed byte layouts, and their
// declarations (fields and keys) for the keyed-file driver.
//
// A thread binds a buffer to a file instance, e.g.
//   PHO_RECORD PHO;
//   storage::KeyedFile phone(PHONE_FILE(), &PHO);         // PHONE.db in the working directory
//   phone.open(); phone.set(PHO_NAME_KEY); phone.next();  // PHO now holds the first by surname
// and the city browse reads through a view that joins STREET by the subscriber's street:
//   storage::View view(phone);
//   view.join(street, STR_NUM_KEY, {"STREET"});

#include <cstddef>
#include <cstdint>

#include "storage/declaration.h"

namespace phonedir {

#pragma pack(push, 1)

// PHONE, the city directory: one record per subscriber line.
struct PHO_RECORD {
  char PHONE[6];   // STRING(6): the number, digits, left-aligned, blank-padded
  int32_t STREET;  // LONG: STR_RECORD::NUM of the subscriber's street
  char FIO[18];    // CSTRING(18): surname and initials, at most 17 characters
  char HOME[4];    // STRING(4): house number as text
  char KVART[4];   // STRING(4): flat number as text
};

// STREET, the street reference.
struct STR_RECORD {
  int32_t NUM;    // LONG: the street's number, as kept in PHO_RECORD::STREET
  char NAME[20];  // CSTRING(20): at most 19 characters
};

// PERSONAL, the personal directory.
struct PER_RECORD {
  char PHONE[10];  // STRING(10)
  char KOD[5];     // STRING(5)
  char NAME[30];   // STRING(30)
  char PRIM[30];   // STRING(30): free note
};

// POISK, the search result: PHONE's layout.
struct POI_RECORD {
  char PHONE[6];
  int32_t STREET;
  char FIO[18];
  char HOME[4];
  char KVART[4];
};

#pragma pack(pop)

static_assert(sizeof(PHO_RECORD) == 36);
static_assert(offsetof(PHO_RECORD, PHONE) == 0);
static_assert(offsetof(PHO_RECORD, STREET) == 6);
static_assert(offsetof(PHO_RECORD, FIO) == 10);
static_assert(offsetof(PHO_RECORD, HOME) == 28);
static_assert(offsetof(PHO_RECORD, KVART) == 32);

static_assert(sizeof(STR_RECORD) == 24);
static_assert(offsetof(STR_RECORD, NUM) == 0);
static_assert(offsetof(STR_RECORD, NAME) == 4);

static_assert(sizeof(PER_RECORD) == 75);
static_assert(offsetof(PER_RECORD, PHONE) == 0);
static_assert(offsetof(PER_RECORD, KOD) == 10);
static_assert(offsetof(PER_RECORD, NAME) == 15);
static_assert(offsetof(PER_RECORD, PRIM) == 45);

static_assert(sizeof(POI_RECORD) == 36);
static_assert(offsetof(POI_RECORD, PHONE) == 0);
static_assert(offsetof(POI_RECORD, STREET) == 6);
static_assert(offsetof(POI_RECORD, FIO) == 10);
static_assert(offsetof(POI_RECORD, HOME) == 28);
static_assert(offsetof(POI_RECORD, KVART) == 32);

// Key indexes within each declaration, in the order the declarations list them; the first key
// of each file is the one its delete transaction locates records by.
inline constexpr int PHO_NUM_KEY = 0;     // PHONE
inline constexpr int PHO_ADRESS_KEY = 1;  // STREET, HOME, KVART
inline constexpr int PHO_NAME_KEY = 2;    // FIO
inline constexpr int STR_NUM_KEY = 0;     // NUM
inline constexpr int STR_NAME_KEY = 1;    // NAME
inline constexpr int PER_BY_NAME = 0;     // NAME
inline constexpr int PER_BY_PHONE = 1;    // PHONE
inline constexpr int POI_NUM_KEY = 0;     // PHONE
inline constexpr int POI_ADRESS_KEY = 1;  // STREET, HOME, KVART
inline constexpr int POI_NAME_KEY = 2;    // FIO

// The declarations; their names are the files' names (PHONE, STREET, PERSONAL, POISK).
const storage::FileDecl& PHONE_FILE();
const storage::FileDecl& STREET_FILE();
const storage::FileDecl& PERSONAL_FILE();
const storage::FileDecl& POISK_FILE();

// Text fields to blanks (STRING) or empty (CSTRING), numbers to 0.
void clearRecord(PHO_RECORD& record);
void clearRecord(STR_RECORD& record);
void clearRecord(PER_RECORD& record);
void clearRecord(POI_RECORD& record);

}  // namespace phonedir
