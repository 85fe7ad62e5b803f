// Input reports: a key press to the "Profiler_Events" subscriber, a volume step to the host's
// volume model, and the cost of a report as more headsets are attached.
#include "Benchmarks.h"
#include "IAudioDevice.h"
#include "IVolumeModel.h"
#include "cAudioDeviceMgrService.h"
#include "cBenchHost.h"
#include "cBenchTable.h"
#include "cHost.h"
#include "cHostAudioDevice.h"
#include "cHostVolumeModel.h"
#include "cProfilerEventReceiver.h"
#include "cSimHidTransport.h"
#include "cTransportFactory.h"

#include <vector>

namespace {

// The subscriber keeps every event; emptying it now and then keeps its list small without
// costing a check per report.
constexpr int g_eventBatch = 1024;

// A unit no headset of the other benchmarks has: the hand decoder's own transport.
constexpr int g_handDecoderUnit = 900;

// The receiver counts what arrived, so that a run in which the events stopped reaching the
// subscriber reports an error instead of a fast time.
class cEventCount
{
public:
    explicit cEventCount(cProfilerEventReceiver *receiver)
        : m_receiver(receiver)
    {
        m_receiver->clear();
    }

    void tick()
    {
        if (++m_pending == g_eventBatch)
            flush();
    }

    qint64 total()
    {
        flush();
        return m_total;
    }

private:
    void flush()
    {
        m_total += m_receiver->events().size();
        m_receiver->clear();
        m_pending = 0;
    }

    cProfilerEventReceiver *m_receiver;
    qint64 m_total = 0;
    int m_pending = 0;
};

// What a host without a framework between it and the headset would write: the key bytes
// compared with the last report's, the subscriber's handler called directly. It takes its reports
// as the device does, from a HID transport's readyRead(), or straight from memory.
class cHandDecoder : public QObject
{
    Q_OBJECT
public:
    cHandDecoder(cProfilerEventReceiver *receiver, const QString &model, const QString &category)
        : m_receiver(receiver)
        , m_model(model)
        , m_category(category)
    { }

    void listen(const QSharedPointer<cSimHidTransport> &transport)
    {
        m_transport = transport;
        connect(transport.data(), SIGNAL(readyRead()), this, SLOT(onReadyRead()));
    }

    void decode(const QByteArray &report)
    {
        static const quint8 codes[3] = {0x11, 0x22, 0x33};
        if (report.size() != 5 || quint8(report.at(0)) != 0x02 || quint8(report.at(1)) != 0x10)
            return;
        for (int i = 0; i < 3; ++i) {
            const quint8 code = quint8(report.at(2 + i));
            if (code != m_last[i]) {
                if (code == codes[i])
                    m_receiver->onGKeyPressed(GKey::GKey_t(i + 1), m_model, m_category);
                else if (m_last[i] == codes[i])
                    m_receiver->onGKeyReleased(GKey::GKey_t(i + 1), m_model, m_category);
            }
            m_last[i] = code;
        }
    }

private slots:
    void onReadyRead() { decode(m_transport->read()); }

private:
    cProfilerEventReceiver *m_receiver;
    QString m_model;
    QString m_category;
    QSharedPointer<cSimHidTransport> m_transport;
    quint8 m_last[3] = {};
};

void checkDelivered(benchmark::State &state, qint64 delivered)
{
    if (delivered != qint64(state.iterations()))
        state.SkipWithError("a report did not reach the subscriber");
}

// Feeds one report per iteration, round robin over headsets 1..count, each alternating between a
// press and a release of key 1 so that every report posts one event.
void keyReports(benchmark::State &state, int count)
{
    cBenchHost &bench = cBenchHost::instance();
    if (!bench.attach(count)) {
        state.SkipWithError("the headsets did not attach");
        return;
    }
    std::vector<QSharedPointer<cSimHidTransport>> transports;
    for (int unit = 1; unit <= count; ++unit) {
        transports.push_back(bench.hid(unit));
        // Every key up, whatever the last run left, so that the first report is a press.
        transports.back()->feedInput(cBenchHost::keyReleaseReport());
    }
    const QByteArray reports[2] = {cBenchHost::keyPressReport(), cBenchHost::keyReleaseReport()};
    std::vector<quint8> next(transports.size(), 0);
    cEventCount events(bench.host().profilerEvents());
    size_t unit = 0;
    for (auto _ : state) {
        transports[unit]->feedInput(reports[next[unit]]);
        next[unit] ^= 1;
        if (++unit == transports.size())
            unit = 0;
        events.tick();
    }
    checkDelivered(state, events.total());
}

void keyReportPlugin(benchmark::State &state)
{
    keyReports(state, 1);
}

// With `transport`, the reports reach the decoder as they reach the device: queued on a HID
// transport of its own and announced by readyRead().
void keyReportsByHand(benchmark::State &state, bool transport)
{
    cBenchHost &bench = cBenchHost::instance();
    if (!bench.attach(1)) {
        state.SkipWithError("the headset did not attach");
        return;
    }
    const cAbstractDevicePtr device = bench.device(1);
    cHandDecoder decoder(bench.host().profilerEvents(), device->model(),
                         device->deviceInfo()["profiler"]["category"].toString());
    const auto hid = qSharedPointerDynamicCast<cSimHidTransport>(
        cTransportFactory::headset(TransportKind::Hid, g_handDecoderUnit));
    // Started as the headset's own is: a transport delivers no input before.
    hid->start();
    decoder.listen(hid);
    const QByteArray reports[2] = {cBenchHost::keyPressReport(), cBenchHost::keyReleaseReport()};
    int next = 0;
    cEventCount events(bench.host().profilerEvents());
    for (auto _ : state) {
        if (transport)
            hid->feedInput(reports[next]);
        else
            decoder.decode(reports[next]);
        next ^= 1;
        events.tick();
    }
    checkDelivered(state, events.total());
}

void keyReportHandDecoder(benchmark::State &state)
{
    keyReportsByHand(state, true);
}

void keyReportHandDecoderBare(benchmark::State &state)
{
    keyReportsByHand(state, false);
}

// A headset's volume model, with the steps it took counted as the model announces them.
class cVolumeTarget
{
public:
    ~cVolumeTarget() { QObject::disconnect(m_counting); }

    // False when the headset has no audio device to step.
    bool attach()
    {
        cBenchHost &bench = cBenchHost::instance();
        const cAudioDeviceList devices
            = bench.attach(1) ? bench.host().services().audioDeviceMgr()->getDevices() : cAudioDeviceList();
        const auto audioDevice = devices.size() == 1 ? cAudioDeviceMgrService::hostDevice(devices.first())
                                                     : QSharedPointer<cHostAudioDevice>();
        if (!audioDevice)
            return false;
        m_model = audioDevice->volumeModel();
        m_hid = bench.hid(1);
        if (!m_model || !m_hid)
            return false;
        m_counting = QObject::connect(m_model.data(), &cHostVolumeModel::called, [this] { ++m_steps; });
        return true;
    }

    qint64 steps() const { return m_steps; }
    IVolumeModel *model() const { return m_model.data(); }
    cSimHidTransport *hid() const { return m_hid.data(); }

private:
    QSharedPointer<cHostVolumeModel> m_model;
    QSharedPointer<cSimHidTransport> m_hid;
    QMetaObject::Connection m_counting;
    qint64 m_steps = 0;
};

void checkVolumeSteps(benchmark::State &state, bool attached, const cVolumeTarget &target)
{
    if (!attached)
        state.SkipWithError("the headset has no audio device");
    else if (target.steps() != qint64(state.iterations()))
        state.SkipWithError("a volume report did not reach incVolume()");
}

void volumeReportPlugin(benchmark::State &state)
{
    cVolumeTarget target;
    const bool attached = target.attach();
    const QByteArray report = cBenchHost::volumeUpReport();
    for (auto _ : state) {
        if (!attached)
            break;
        target.hid()->feedInput(report);
    }
    checkVolumeSteps(state, attached, target);
}

// Through the interface, as the device calls it.
void volumeDirectCall(benchmark::State &state)
{
    cVolumeTarget target;
    const bool attached = target.attach();
    for (auto _ : state) {
        if (!attached)
            break;
        benchmark::DoNotOptimize(target.model()->incVolume());
    }
    checkVolumeSteps(state, attached, target);
}

} // namespace

void registerInputBenchmarks(cBenchTable &table)
{
    benchmark::RegisterBenchmark("key_report/plugin", keyReportPlugin);
    benchmark::RegisterBenchmark("key_report/hand_decoder", keyReportHandDecoder);
    benchmark::RegisterBenchmark("key_report/hand_decoder_bare", keyReportHandDecoderBare);
    table.addTimeRow({"key_report/plugin", "key_report/hand_decoder",
                      "a key-press (or release) report fed to the headset's HID transport, through "
                      "onReadyRead, the decoder and postEvent, to the Profiler_Events subscriber's handler; "
                      "baseline: a hand-written decoder on a HID transport of its own, fed and signalled "
                      "the same way, calling that handler directly",
                      3, 1000});
    table.addTimeRow({"key_report/plugin", "key_report/hand_decoder_bare",
                      "the same report against the hand-written decoder given the report in memory: no "
                      "transport, no signal, only the decoding and the handler",
                      0, 0});

    benchmark::RegisterBenchmark("volume_report/plugin", volumeReportPlugin);
    benchmark::RegisterBenchmark("volume_report/direct_call", volumeDirectCall);
    table.addTimeRow(
        {"volume_report/plugin", "volume_report/direct_call",
         "a volume-up report fed to the HID transport, through onReadyRead, to incVolume() on the "
         "host's volume model; baseline: incVolume() called through IVolumeModel",
         0, 0});

    for (int count : {1, 8, 64}) {
        benchmark::RegisterBenchmark(("headsets/" + std::to_string(count)).c_str(), keyReports, count);
    }
    for (int count : {8, 64}) {
        table.addTimeRow({"headsets/" + std::to_string(count), "headsets/1",
                          "one key report per iteration, round robin over " + std::to_string(count)
                              + " attached headsets; baseline: the same with one headset",
                          1.25, 0});
    }
}

#include "bench_input.moc"
