#include "export/export_sql.h"

#include "export/number_to_text.h"

namespace lumbrook::exporting {

ExportViews ViewsFor(bool useBaseViews) {
    if (useBaseViews)
        return {"BASE_JOB_RUN_ITEM_VIEW", "BASE_PEAK_VIEW"};
    return {"JOB_RUN_ITEM_VIEW", "PEAK_VIEW"};
}

std::string SpectrumQuery(const ExportViews& views, bool allSpectra, std::int32_t jobRunId,
                          std::int32_t jobRunItemId) {
    std::string sql;
    if (allSpectra) {
        sql = "SELECT distinct PEAK_LIST_ID, SPOT_ID, PRECURSOR_MASS, SPOT_LABEL, OPMODE_NAME";
        sql += " from ";
        sql += views.itemView;
        sql += " where JOB_RUN_ID = ";
        sql += IntegerText(jobRunId);
    } else {
        sql = "SELECT distinct PEAK_LIST_ID, SPOT_ID, PRECURSOR_MASS, SPOT_LABEL";
        sql += " from ";
        sql += views.itemView;
        sql += " where JOB_RUN_ITEM_ID = ";
        sql += IntegerText(jobRunItemId);
    }
    sql += " order by PEAK_LIST_ID";
    return sql;
}

std::string BatchPeakQuery(const ExportViews& views, std::int64_t firstId, std::int64_t lastId,
                           double s2n, std::int16_t monoisotopic, double minMass) {
    std::string sql = "Select distinct CENTROID, AREA, PEAK_LIST_ID";
    sql += " from ";
    sql += views.peakView;
    sql += " where PEAK_LIST_ID >= ";
    AppendInteger(sql, firstId);
    sql += " and PEAK_LIST_ID <= ";
    AppendInteger(sql, lastId);
    sql += " and SIGNAL_TO_NOISE > ";
    sql += NumberText(s2n);
    sql += " and CENTROID >= ";
    sql += NumberText(minMass);
    sql += " and ISOTOPIC_FLAG >= ";
    sql += IntegerText(monoisotopic);
    sql += " order by PEAK_LIST_ID, CENTROID";
    return sql;
}

std::string ItemPeakQuery(const ExportViews& views, std::int32_t jobRunItemId, double s2n,
                          std::int16_t monoisotopic) {
    std::string sql = "Select distinct CENTROID, AREA";
    sql += " from ";
    sql += views.peakView;
    sql += " where JOB_RUN_ITEM_ID = ";
    sql += IntegerText(jobRunItemId);
    sql += " and SIGNAL_TO_NOISE > ";
    sql += NumberText(s2n);
    sql += " and ISOTOPIC_FLAG >= ";
    sql += IntegerText(monoisotopic);
    sql += " order by CENTROID";
    return sql;
}

}  // namespace lumbrook::exporting
