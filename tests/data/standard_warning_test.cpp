#include "data/standard_warning.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>

#include "data_fixture.h"
#include "runtime/locale/charset.h"
#include "shell/globals.h"
#include "storage/error.h"

namespace phonedir {
namespace {

using runtime::cp;

class StandardWarningTest : public test::DataTest {};

TEST_F(StandardWarningTest, EveryMessageAsTheUserSeesIt) {
  struct Case {
    int number;
    const char* text1;
    const char* text2;
    const char* line;  // the transcript line, with the default answer
    const char* halt;  // nullptr when the program goes on
  };
  // The current error in every case: code 2, no saved error.
  const Case cases[] = {
      {1, "PHONE.db  ", "",
       R"(message "Файл неправильной структуры" "Файл PHONE.db не соответствует описанию. Нажмите OK для завершения программы." OK -> OK (default))",
       "Неправильная структура файла!"},
      {3, "PHONE.db", "",
       R"(message "Ошибка при восстановлении ключа" "Ошибка: (Файл не найден (2)) при восстановлении ключей PHONE.db.  Нажмите OK для завершения программы." OK -> OK (default))",
       "Ошибка при восстановлении ключа!"},
      {4, "PHONE.db", "",
       R"(message "Ошибка создания файла" "Ошибка: (Файл не найден (2)) при создании PHONE.db.  Нажмите OK для завершения программы." OK -> OK (default))",
       "Ошибка создания файла!"},
      {5, "PHONE.db", "",
       R"(message "Ошибка при создании файла" "Ошибка: (Файл не найден (2)) при открытии созданного файла:PHONE.db.  Нажмите OK для завершения программы." OK -> OK (default))",
       "Ошибка  при создании файла!"},
      {14, "", "",
       R"(message "Ошибка при добавлении записи" "Возникла ошибка при попытке обновления записи.  Ошибка: Файл не найден (2)." OK -> OK (default))",
       nullptr},
      {15, "Phone", "",
       R"(message "Ошибка при обновлении записи" "Возникла ошибка(Файл не найден (2))  при попытке обновить запись файла.  Возможная причина: Phone." OK -> OK (default))",
       nullptr},
      {16, "", "",
       R"(message "Ошибка при обновлении записи" "Возникла ошибка при попытке изменения этой записи. Хотите повторить перезапись?" Yes,No,Cancel -> Cancel (default))",
       nullptr},
      {17, "Street", "",
       R"(message "Ошибка при стирании записи" "Возникла ошибка(Файл не найден (2)) при попытке стереть запись файла Street." OK -> OK (default))",
       nullptr},
      {18, "", "",
       R"(message "Ошибка при удалении записи" "Возникла ошибка при удалении этой записи. Хотите попробовать еще раз?" Yes,No,Cancel -> Cancel (default))",
       nullptr},
      {22, "STREET.db", "",
       R"(message "Создание файла не предусмотрено" "Файл STREET.db не найден, а создание файла не предусмотрено (не разрешается).  Нажмите OK для завершения этой программы." OK -> OK (default))",
       "Ошибка создания файла!"},
      {23, "", "",
       R"(message "Отмена редактирования" "Вы уверены, что хотите отменить изменения в этой записи?" Yes,No -> No (default))",
       nullptr},
      {30, "PHONE.db", "",
       R"(message "Ошибка при доступе к файлу" "Файл(PHONE.db) не может быть открыт.  Ошибка: Файл не найден (2)." OK -> OK (default))",
       nullptr},
      {32, "", "",
       R"(message "Подтвердите удаление" "Вы потребовали удалить текущую запись.Нажатием на OK подтвердите необходимость удаления этой записи." OK,Cancel -> Cancel (default))",
       nullptr},
      {34, "Update", "Phone",
       R"(message "Ошибка выполнения транзакции" "Ошибка (Файл не найден (2)) при попытке выполнить транзакцию Update для Phone.  Транзакция Update отменена." OK -> OK (default))",
       nullptr},
      {35, "Personal", "",
       R"(message "Ошибка извлечения записи" "Ошибка (Файл не найден (2)) При попытке доступа к записи файла Personal.  Возвращаемся в предыдущее окно." OK -> OK (default))",
       nullptr},
      {36, "", "",
       R"(message "Ошибка открытия View" "Ошибка: (Файл не найден (2)) при открытии View.Фильтр и ограничения диапазона игнорируются.  " OK -> OK (default))",
       nullptr},
      {38, "", "",
       R"(message "Ошибка при обновлении записи" "Эта запись была изменена с другой станции. Эти изменения могут быть показаны. Используйте ту же кнопку или Ctrl+' для обновления измененных данных." OK -> OK (default))",
       nullptr},
  };
  for (const Case& c : cases) {
    int answer = -1;
    const auto transcript = run([&] {
      storage::setLastError({2, 0, {}});
      answer = STANDARDWARNING(c.number, cp(c.text1), cp(c.text2));
    });
    std::vector<std::string> expected = {c.line};
    if (c.halt != nullptr) expected.push_back(std::string("halt \"") + c.halt + "\"");
    EXPECT_EQ(transcript, expected) << "message " << c.number;
    if (c.halt == nullptr) {
      EXPECT_GT(answer, 0) << "message " << c.number;
    } else {
      // A halt stops the runtime; start it afresh for the next case.
      runtime::shutdown();
      runtime::init(backend);
    }
  }
}

TEST_F(StandardWarningTest, SavedErrorIsReportedByTheFirstMessageOnly) {
  const auto transcript = run([] {
    saveError({89, cp("Запись изменена"), 0, ""});
    storage::setLastError({33, 0, {}});
    STANDARDWARNING(14);
    STANDARDWARNING(14);
    saveError({90, cp("x"), 11, "database disk image is malformed"});
    STANDARDWARNING(15, "Phone");
    saveError({89, cp("y"), 0, ""});
    STANDARDWARNING(15, "Phone");
  });
  ASSERT_EQ(transcript.size(), 4u);
  EXPECT_NE(transcript[0].find("Ошибка: Запись изменена (89)."), std::string::npos)
      << transcript[0];
  EXPECT_NE(transcript[1].find("Ошибка: Запись не найдена (33)."), std::string::npos)
      << transcript[1];
  EXPECT_NE(transcript[2].find("ошибка(database disk image is malformed (11))"), std::string::npos)
      << transcript[2];
  EXPECT_NE(transcript[3].find("\"Эта запись была изменена с другой станции.\""), std::string::npos)
      << transcript[3];
}

// A message shown by another thread between the save and the report takes nothing of it.
TEST_F(StandardWarningTest, SavedErrorStaysWithItsThread) {
  std::mutex m;
  std::condition_variable cv;
  int step = 0;
  auto waitFor = [&](int n) {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return step >= n; });
  };
  auto advance = [&] {
    std::lock_guard lock(m);
    ++step;
    cv.notify_all();
  };
  runtime::start([&] {
    saveError({89, cp("Запись изменена"), 0, ""});
    advance();
    waitFor(2);
    STANDARDWARNING(14);
  });
  runtime::start([&] {
    waitFor(1);
    storage::setLastError({33, 0, {}});
    STANDARDWARNING(14);
    advance();
  });
  ASSERT_TRUE(runtime::waitFinished());
  const auto transcript = backend.takeTranscript();
  ASSERT_EQ(transcript.size(), 2u);
  EXPECT_NE(transcript[0].find("Ошибка: Запись не найдена (33)."), std::string::npos)
      << transcript[0];
  EXPECT_NE(transcript[1].find("Ошибка: Запись изменена (89)."), std::string::npos)
      << transcript[1];
}

// The storage layer's texts for a full disk, a damaged file or a value a hand edit left that
// does not fit its field are said in Russian, with the engine's code; a text with no Russian
// form is shown as it stands.
TEST_F(StandardWarningTest, TheStorageLayersFailuresAreSaidInRussian) {
  const std::pair<std::string, std::string> cases[] = {
      {"database or disk is full", "диск переполнен (13)"},
      {"database disk image is malformed", "файл повреждён (13)"},
      {"record 3: PHONE holds 8 bytes, room for 6",
       "запись 3: поле PHONE содержит 8 байт, а места в поле 6 (13)"},
      {"record 12: NUM holds the number 4294967296, beyond 32 bits",
       "запись 12: поле NUM содержит число 4294967296, не умещающееся в 32 бита (13)"},
      {"record 7: NAME holds NULL", "запись 7: поле NAME содержит пустое значение (NULL) (13)"},
      {"the file is damaged: record 5 is out of its key's order",
       "файл повреждён: запись 5 стоит не на своём месте в ключе (13)"},
      {"/data/PHONE.db: is a directory", "/data/PHONE.db: это папка, а не файл (13)"},
      {"/data/PHONE.db-journal: No space left on device",
       "/data/PHONE.db-journal: на диске нет места (13)"},
      {"PHONE.db: file not open", "PHONE.db: file not open (13)"},
  };
  for (const auto& [english, russian] : cases) {
    const auto transcript = run([english = english] {
      storage::setLastError({90, 13, english});
      STANDARDWARNING(14);
    });
    ASSERT_EQ(transcript.size(), 1u);
    EXPECT_NE(transcript[0].find(russian), std::string::npos) << transcript[0];
  }
}

TEST_F(StandardWarningTest, ErrorTextIsCutAndUnknownNumbersShowNothing) {
  int unknown = -1;
  const auto transcript = run([&] {
    storage::setLastError({90, 1, std::string(200, 'z')});
    STANDARDWARNING(14);
    saveError({5, cp("w"), 0, ""});
    unknown = STANDARDWARNING(2);
    STANDARDWARNING(14);  // the saved error went with the unknown number
  });
  EXPECT_EQ(unknown, 0);
  ASSERT_EQ(transcript.size(), 2u);
  // 150 characters of the error text, its code included: here all of them 'z'.
  EXPECT_NE(transcript[0].find("Ошибка: " + std::string(150, 'z') + ".\""), std::string::npos);
  EXPECT_EQ(transcript[1].find("w (5)"), std::string::npos);
}

}  // namespace
}  // namespace phonedir
