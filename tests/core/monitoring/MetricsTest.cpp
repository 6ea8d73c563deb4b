#include "core/monitoring/Metrics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tervis {
namespace {

bool Has(const std::string& page, const std::string& line) {
    return page.find(line + "\n") != std::string::npos;
}

// A chassis the way the device reports it: 4E1 in slot 3 (working), ДП in slot 7, 4DSL in slot 9, a 4C1И
// in slot 12 (blocked), a 4ТЧ in slot 14, nothing elsewhere.
TSlotStatusWords Chassis() {
    TSlotStatusWords slots{};
    slots[3] = 10 | (1 << 8);
    slots[7] = 26 | (1 << 8);
    slots[9] = 24 | (1 << 8);
    slots[12] = 19 | (2 << 8);
    slots[14] = 1 | (1 << 8);
    return slots;
}

TEST(Metrics, InformationPlanWalksTheReportedBoardsUnitByUnit) {
    std::vector<std::string> walked;
    for (const TInfoRequest& r : InformationPlan(Chassis())) {
        walked.push_back(std::to_string(r.Slot) + "." + std::to_string(r.Unit) + " type " +
                         std::to_string(r.Type) + " records " + std::to_string(r.Records));
    }
    // Records: 2 = state, 4 = line; the 4ТЧ has no information window and is not walked.
    const std::vector<std::string> expected = {
        "3.0 type 10 records 2",  "3.1 type 10 records 2",  "3.2 type 10 records 2",
        "3.3 type 10 records 2",  "7.0 type 26 records 4",  "9.0 type 24 records 4",
        "9.1 type 24 records 4",  "9.2 type 24 records 4",  "9.3 type 24 records 4",
        "12.0 type 19 records 2", "12.1 type 19 records 2", "12.2 type 19 records 2",
        "12.3 type 19 records 2",
    };
    EXPECT_EQ(walked, expected);
}

TEST(Metrics, PageOfAnAnsweringMultiplexer) {
    TMuxSample mux;
    mux.Name = "узел \"A\"\\1";
    mux.LinkUp = true;
    mux.PollSeconds = 1.25;
    mux.FinishedAt = 1796800000.5;
    mux.Slots = Chassis();
    mux.AlarmWord = 0x7080;  // board missing, slot 7
    TCpuStatus cpu{};
    cpu[2] = 0;          // no address: the reply code is at 3
    cpu[3 + 14] = 0x00;  // level counter 449280 = 0x06DB00: a tenth of full scale, -20 dB
    cpu[3 + 15] = 0xDB;
    cpu[3 + 16] = 0x06;
    mux.Cpu = cpu;
    TUnitSample stream{{3, 2, 10, 2}, {}};
    stream.Info.Stream.Flags = {1, 0, 0, 0, 0, 1, 0};
    stream.Info.Stream.SlipsE = 5;
    stream.Info.Stream.SlipsF = 7;
    stream.Info.Stream.FrameErrors = 12;
    stream.Info.Stream.Period = 30;
    stream.Info.Stream.ErrorRate = 0.4;
    TUnitSample power{{7, 0, 26, 4}, {}};
    power.Info.Dp.Voltage = 180;
    power.Info.Dp.Current = 42.5;
    TUnitSample dsl{{9, 1, 24, 4}, {}};
    dsl.Info.Dsl[10] = 33;
    dsl.Info.Dsl[15] = 9;
    dsl.Info.Dsl[19] = 4;
    TUnitSample port{{12, 3, 19, 2}, {}};
    port.Info.C1I.AllOnes = 1;
    port.Info.C1I.Errors = 1000;
    TUnitSample oneDsl{{10, 0, 23, 4}, {}};  // values 9 (signal to noise), 16 and 17 (errored seconds)
    oneDsl.Info.Dsl[9] = 21;
    oneDsl.Info.Dsl[16] = 5;
    oneDsl.Info.Dsl[17] = 6;
    mux.Units = {stream, power, dsl, port, oneDsl};
    const std::string page = RenderMetrics(std::span(&mux, 1));

    const std::string m = "mux=\"узел \\\"A\\\"\\\\1\"";
    const std::vector<std::string> lines = {
        "# TYPE tervis_link_up gauge",
        "tervis_link_up{" + m + "} 1",
        "tervis_poll_duration_seconds{" + m + "} 1.25",
        "tervis_last_poll_timestamp_seconds{" + m + "} 1796800000",
        "tervis_board_info{" + m + ",slot=\"3\",type=\"4E1\",state=\"раб.\"} 1",
        "tervis_board_info{" + m + ",slot=\"12\",type=\"4C1И\",state=\"блк.\"} 1",
        "tervis_board_info{" + m + ",slot=\"14\",type=\"4ТЧ\",state=\"раб.\"} 1",
        "tervis_alarm_active{" + m +
            ",slot=\"7\",alarm=\"board_missing\",text=\"Отсутствует плата (слот 7)!\"} 1",
        "tervis_alarm_active{" + m +
            ",slot=\"6\",alarm=\"board_missing\",text=\"Отсутствует плата (слот 6)!\"} 0",
        "tervis_alarm_active{" + m +
            ",slot=\"16\",alarm=\"hardware_error\",text=\"Аппаратная ошибка (код 0)!\"} 0",
        "tervis_alarm_active{" + m +
            ",slot=\"3\",stream=\"2\",alarm=\"stream_loss\",text=\"Потеря потока (слот 3)!\"} 1",
        "tervis_alarm_active{" + m +
            ",slot=\"3\",stream=\"2\",alarm=\"frame_sync_loss\",text=\"Потеря цикловой синхронизации (слот "
            "3)!\"} 0",
        "tervis_alarm_active{" + m +
            ",slot=\"3\",stream=\"2\",alarm=\"error_rate_1e3\",text=\"Превышен порог ошибок 10Е-3 (слот "
            "3)!\"} 1",
        "tervis_alarm_active{" + m +
            ",slot=\"3\",stream=\"2\",alarm=\"error_rate_1e6\",text=\"Превышен порог ошибок 10Е-6 (слот "
            "3)!\"} 0",
        "tervis_cpu_level_dbm{" + m + "} -20",
        "# TYPE tervis_stream_slips_total counter",
        "tervis_stream_slips_total{" + m + ",slot=\"3\",stream=\"2\",kind=\"skip\"} 5",
        "tervis_stream_slips_total{" + m + ",slot=\"3\",stream=\"2\",kind=\"repeat\"} 7",
        "tervis_stream_frame_errors_total{" + m + ",slot=\"3\",stream=\"2\"} 12",
        "tervis_stream_error_rate{" + m + ",slot=\"3\",stream=\"2\"} 0.4",
        "tervis_stream_period_seconds{" + m + ",slot=\"3\",stream=\"2\"} 30",
        "tervis_power_voltage_volts{" + m + ",slot=\"7\",port=\"0\"} 180",
        "tervis_power_current_amperes{" + m + ",slot=\"7\",port=\"0\"} 0.0425",
        "tervis_dsl_signal_quality_db{" + m + ",slot=\"9\",port=\"1\"} 33",
        "tervis_dsl_code_violations_total{" + m + ",slot=\"9\",port=\"1\"} 9",
        "tervis_dsl_seconds_total{" + m + ",slot=\"9\",port=\"1\",kind=\"unavailable\"} 4",
        "tervis_dsl_snr_db{" + m + ",slot=\"10\",port=\"0\"} 21",
        "tervis_dsl_seconds_total{" + m + ",slot=\"10\",port=\"0\",kind=\"errored\"} 5",
        "tervis_dsl_seconds_total{" + m + ",slot=\"10\",port=\"0\",kind=\"severely_errored\"} 6",
        "tervis_port_condition{" + m + ",slot=\"12\",port=\"3\",condition=\"all_ones\"} 1",
        "tervis_port_condition{" + m + ",slot=\"12\",port=\"3\",condition=\"signal_loss\"} 0",
        "tervis_port_errors_total{" + m + ",slot=\"12\",port=\"3\"} 1000",
    };
    for (const std::string& line : lines) {
        EXPECT_TRUE(Has(page, line)) << line << "\n--- page:\n" << page;
    }
    // Empty slots have no board line; every family is announced once.
    EXPECT_EQ(page.find("slot=\"0\",type="), std::string::npos);
    EXPECT_EQ(page.find("# TYPE tervis_alarm_active"), page.rfind("# TYPE tervis_alarm_active"));
}

TEST(Metrics, ADownMultiplexerReportsOnlyItsLinkAndFamiliesStayTogether) {
    std::vector<TMuxSample> muxes(3);
    muxes[0].Name = std::string(1, 'a');
    muxes[0].LinkUp = true;
    muxes[0].Slots[1] = 7 | (1 << 8);
    muxes[1].Name = std::string(1, 'b');  // down: what it reported before must not show as its state now
    muxes[1].Slots[2] = 10 | (1 << 8);
    muxes[1].Cpu = TCpuStatus{};
    muxes[2].Name = std::string(1, 'c');
    muxes[2].LinkUp = true;
    muxes[2].Slots[4] = 7 | (1 << 8);
    const std::string page = RenderMetrics(muxes);
    EXPECT_TRUE(Has(page, "tervis_link_up{mux=\"b\"} 0"));
    EXPECT_EQ(page.find("tervis_board_info{mux=\"b\""), std::string::npos);
    EXPECT_EQ(page.find("tervis_cpu_level_dbm{mux=\"b\""), std::string::npos);
    // The samples of one family follow each other: a and c board lines with no other family between.
    const std::string both =
        "tervis_board_info{mux=\"a\",slot=\"1\",type=\"1E1\",state=\"раб.\"} 1\n"
        "tervis_board_info{mux=\"c\",slot=\"4\",type=\"1E1\",state=\"раб.\"} 1\n";
    EXPECT_NE(page.find(both), std::string::npos) << page;
}

}  // namespace
}  // namespace tervis
