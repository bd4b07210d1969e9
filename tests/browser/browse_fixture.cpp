#include "browse_fixture.h"

namespace lumbrook::testing {

std::string BrowseFixtureSql() {
    std::string sql =
        "INSERT INTO FOLDER_OBJECT VALUES (2, NULL, 'Projects', 2, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (30, 2, 'Zeta folder', 2, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (31, 2, 'Alpha set', 6, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (32, 2, 'Middle', 2, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (33, 32, 'Inner set', 6, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (34, 2, 'Empty set', 6, 1);\n"
        "INSERT INTO FOLDER_OBJECT VALUES (35, 2, 'Calibration', 5, 1);\n"  // neither kind
        "INSERT INTO JOB_RUN VALUES (17, 31, 'MS-MS 1 kV positive', '2026-03-01 09:00:00', "
        "'2026-03-01 09:05:00', '2026-03-01 10:30:00');\n"
        "INSERT INTO JOB_RUN VALUES (18, 31, 'MS reflector positive', NULL, NULL, NULL);\n"
        "INSERT INTO JOB_RUN VALUES (40, 33, 'MS-MS 2 kV positive', NULL, NULL, "
        "'2026-04-02 12:00:00');\n";
    // Job run 17: items 101..110 on spots 1..10; item 105 is not complete yet.
    for (int i = 1; i <= 10; ++i) {
        const std::string n = std::to_string(i);
        const std::string item = std::to_string(100 + i);
        sql +=
            "INSERT INTO SPOT VALUES (" + n + ", 31, 'A" + n + "', 'spot " + n + "', 'sample');\n";
        sql += "INSERT INTO JOB_RUN_ITEM VALUES (" + item + ", 17, " + n + ", " +
               std::to_string(1000 + i) + ".12345, 'done', 'done', NULL, " + (i == 5 ? "4" : "9") +
               ");\n";
        sql += "INSERT INTO PEAK_LIST VALUES (" + std::to_string(500 + i) + ", " + item + ");\n";
        // Four fragments that pass the default filters and one isotope peak that does not.
        for (int p = 1; p <= 5; ++p) {
            sql += "INSERT INTO PEAK VALUES (" + std::to_string(500 + i) + ", " +
                   std::to_string(p) + ", " + std::to_string(100 + 150 * p + i) + ".5, " +
                   std::to_string(1000 * p) + ", " + std::to_string(20 + p) + ", " +
                   (p == 5 ? "0" : "1") + ", NULL);\n";
        }
    }
    // Job run 18 (MS): two complete items on spots 1 and 2.
    sql +=
        "INSERT INTO JOB_RUN_ITEM VALUES (201, 18, 1, NULL, 'done', 'done', NULL, 9);\n"
        "INSERT INTO JOB_RUN_ITEM VALUES (202, 18, 2, NULL, 'done', 'done', NULL, 9);\n"
        "INSERT INTO PEAK_LIST VALUES (601, 201);\n"
        "INSERT INTO PEAK_LIST VALUES (602, 202);\n";
    // Job run 40 on the inner spot set has one item that is not complete.
    sql +=
        "INSERT INTO SPOT VALUES (50, 33, 'B1', NULL, NULL);\n"
        "INSERT INTO JOB_RUN_ITEM VALUES (401, 40, 50, 900.5, NULL, NULL, NULL, 3);\n"
        "INSERT INTO PEAK_LIST VALUES (701, 401);\n";
    return sql;
}

}  // namespace lumbrook::testing
