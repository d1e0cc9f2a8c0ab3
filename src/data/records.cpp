#include "data/records.h"

#include "storage/record_fields.h"

namespace phonedir {
namespace {

using storage::FieldType;

// A field by its member of the record struct, so that offsets and widths come from the layout.
#define PHONEDIR_FIELD(record, field, type) \
  (storage::Field{#field, type, offsetof(record, field), sizeof(record::field)})

// PHONE and POISK share the layout and the keys; only their names differ.
storage::FileDecl subscriberFile(const char* name) {
  return storage::FileDecl{
      name,
      sizeof(PHO_RECORD),
      {
          PHONEDIR_FIELD(PHO_RECORD, PHONE, FieldType::kString),
          PHONEDIR_FIELD(PHO_RECORD, STREET, FieldType::kLong),
          PHONEDIR_FIELD(PHO_RECORD, FIO, FieldType::kCString),
          PHONEDIR_FIELD(PHO_RECORD, HOME, FieldType::kString),
          PHONEDIR_FIELD(PHO_RECORD, KVART, FieldType::kString),
      },
      {
          {"NUM_KEY", {"PHONE"}},
          {"ADRESS_KEY", {"STREET", "HOME", "KVART"}},
          {"NAME_KEY", {"FIO"}},
      },
  };
}

}  // namespace

const storage::FileDecl& PHONE_FILE() {
  static const storage::FileDecl decl = subscriberFile("PHONE");
  return decl;
}

const storage::FileDecl& POISK_FILE() {
  static const storage::FileDecl decl = subscriberFile("POISK");
  return decl;
}

const storage::FileDecl& STREET_FILE() {
  static const storage::FileDecl decl{
      "STREET",
      sizeof(STR_RECORD),
      {
          PHONEDIR_FIELD(STR_RECORD, NUM, FieldType::kLong),
          PHONEDIR_FIELD(STR_RECORD, NAME, FieldType::kCString),
      },
      {
          // Subscribers name their street by its number: two streets of one number would
          // show every subscriber of the second as living on the first.
          {"NUM_KEY", {"NUM"}, true},
          {"NAME_KEY", {"NAME"}},
      },
  };
  return decl;
}

const storage::FileDecl& PERSONAL_FILE() {
  static const storage::FileDecl decl{
      "PERSONAL",
      sizeof(PER_RECORD),
      {
          PHONEDIR_FIELD(PER_RECORD, PHONE, FieldType::kString),
          PHONEDIR_FIELD(PER_RECORD, KOD, FieldType::kString),
          PHONEDIR_FIELD(PER_RECORD, NAME, FieldType::kString),
          PHONEDIR_FIELD(PER_RECORD, PRIM, FieldType::kString),
      },
      {
          {"BY_NAME", {"NAME"}},
          {"BY_PHONE", {"PHONE"}},
      },
  };
  return decl;
}

void clearRecord(PHO_RECORD& record) {
  storage::clearRecord(PHONE_FILE(), &record);
}
void clearRecord(STR_RECORD& record) {
  storage::clearRecord(STREET_FILE(), &record);
}
void clearRecord(PER_RECORD& record) {
  storage::clearRecord(PERSONAL_FILE(), &record);
}
void clearRecord(POI_RECORD& record) {
  storage::clearRecord(POISK_FILE(), &record);
}

}  // namespace phonedir
