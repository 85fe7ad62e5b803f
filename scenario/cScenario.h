#pragma once
#include "TransportKind.h"
#include "cExpectation.h"
#include "cHostServices.h"
#include "cSimHidTransport.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Which transport a plug or unplug names: one of a simulated Q71 headset's own (unit 1 unless
// told, each unit with uids of its own), or the same kind of another product.
struct cTransportChoice
{
    enum Origin { Headset, Foreign };
    // The headsets a scenario can tell apart: enough for a desk full of them.
    static constexpr int MaxUnit = 16;

    TransportKind::TransportKind_t kind = TransportKind::Hid;
    Origin origin = Headset;
    int unit = 1;

    bool operator==(const cTransportChoice &other) const
    {
        return kind == other.kind && origin == other.origin && unit == other.unit;
    }
};

// One checked line of a scenario. Only the members its kind uses are set.
struct cScenarioCommand
{
    enum Kind {
        Plug,
        Unplug,
        Start,
        Stop,
        Input,
        Wait,
        MicLight,
        MicNotify,
        MicRead,
        Info,
        Exit,
        Locale,
        Latency,
        Completions,
        Service,
        Expect,
    };

    Kind kind = Wait;
    int line = 0; // 1-based; 0 for commands the program makes up itself
    QList<cTransportChoice> transports; // Plug, Unplug
    QByteArray report; // Input
    qint64 ms = 0; // Wait, Latency
    int value = 0; // MicLight, MicNotify
    // Input, MicLight, MicNotify, MicRead, Info: the device's number; 0: the oldest device (input:
    // the headset's HID transport).
    int device = 0;
    QString name; // Locale
    cHostServices::Service service = cHostServices::DevMgr; // Service
    bool up = true; // Service
    cSimHidTransport::CompletionMode completions = cSimHidTransport::CompleteOnce; // Completions
    cExpectation expectation; // Expect

    // The command's first word, as the scenario spells it ("mic" for the three mic forms).
    QString keyword() const { return keywordOf(kind); }
    static QString keywordOf(Kind kind);

    // The words for the HID completion modes, in scenarios and in the trace alike: "on", "off",
    // "twice". completionsFromName() is false for a word that names no mode.
    static QString completionsName(cSimHidTransport::CompletionMode mode);
    static bool completionsFromName(const QString &name, cSimHidTransport::CompletionMode *mode);
};

// A whole scenario, every line already checked, with the name its messages refer to.
struct cScenario
{
    QString source;
    QList<cScenarioCommand> commands;
};
