#pragma once

#include "gui/diagnostics/InfoForm.h"

// The information window of each board family. Each is built and refreshed in its own unit
// (UInfE1.cpp, UInfCPU.cpp, ...) and opened only through CreateInfoForm.

namespace tervis {

// Stream information of the 1E1, 4E1 and 4ToP boards: alarms, slips and errors, the CAS bits.
class TInfE1Form : public TInfoForm {
    Q_OBJECT
public:
    // streams: 1 for the 1E1, 4 otherwise (one tab each).
    TInfE1Form(TMux& mux, int streams, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;
};

// The 4И15 board: stream alarms (losses implied downwards), slips and errors, 15-channel CAS bits.
class TInfI15Form : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfI15Form(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    // Signal, frame and multiframe loss, each implied by the one before.
    std::array<QLabel*, 3> losses_{};
};

// The 4C64 board: signal loss, slips and errors of each port.
class TInfC64Form : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfC64Form(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;
};

// The 4C1И board: the four line conditions and the error count of each port.
class TInfC1IForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfC1IForm(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    std::array<QLabel*, 4> flags_{};
    QLabel* errors_;
    QLabel* errorRate_;
    QLabel* period_;
};

// The 1DSL board: stream alarms, the line's signal parameters, slips and the CAS bits.
class TInfDSLForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfDSLForm(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    std::array<QLabel*, 9> line_{};
};

// The 4DSL and 4DSLv2 boards: the line state tables of each set and the CAS bits of its two CAS streams.
// The port is CAS stream × 4 + set.
class TInf4DSLForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInf4DSLForm(TMux& mux, QWidget* parent = nullptr);

protected:
    void Refresh(std::uintptr_t code) override;

private:
    void TabChanged(bool setTab);

    QTabBar* sets_;
    QTabBar* cas_;
    QLabel* state_;
    QLabel* condition_;
    QLabel* reason_;
    QLabel* coding_;
    std::array<QLabel*, 8> numbers_{};
    QLabel* cas1Lost_;
    QLabel* cas2Lost_;
};

// "Состояние ДП": the remote power board's feed and the line test.
class TInfDPForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfDPForm(TMux& mux, QWidget* parent = nullptr);

    void LineTestButtonClick();

protected:
    void Refresh(std::uintptr_t code) override;
    // The break voltage stays as it was measured: only the feed values go back to "???".
    void LinkLost() override;
    void showEvent(QShowEvent* event) override;

private:
    // The feed values; the break voltage is kept apart, as it outlives a link loss.
    TBoundValues<TDpInfo> feed_;
    QLabel* breakVoltage_;
};

// "Информация ЦП": the CPU board's kind, version, load, uptime, restarts, measured level and clock source.
class TInfCPUForm : public TInfoForm {
    Q_OBJECT
public:
    explicit TInfCPUForm(TMux& mux, QWidget* parent = nullptr);

    // "Сброс": the restart counter (slot 15, port 15).
    void ResetButtonClick() override;

protected:
    void Refresh(std::uintptr_t code) override;
    void showEvent(QShowEvent* event) override;

private:
    TBoundValues<TCpuInfo> cpu_;
};

}  // namespace tervis
