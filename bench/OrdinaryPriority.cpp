#include "Measure.h"

#include <QProcess>

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>

namespace bench {

namespace {

// In the forked child before it runs the driver again: take away what lets a process ask for a
// real-time priority. An ordinary user has no CAP_SYS_NICE and, unless the administrator granted one,
// an RLIMIT_RTPRIO of 0. For root the capability must also leave the bounding and inheritable sets,
// or the exec hands it back. Where a step is not allowed, the process never had what it removes.
void refuseRealTime()
{
    const rlimit none{0, 0};
    setrlimit(RLIMIT_RTPRIO, &none);
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_SYS_NICE, 0, 0, 0);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) == 0) {
        const auto bit = 1u << CAP_SYS_NICE; // in the first word
        data[0].effective &= ~bit;
        data[0].permitted &= ~bit;
        data[0].inheritable &= ~bit;
        syscall(SYS_capset, &header, data);
    }
}

} // namespace

TimerRounds recordTimersAtOrdinaryPriority(const QString& program, unsigned periodMs, std::size_t ticks, int rounds)
{
    QProcess child;
    child.setProgram(program);
    child.setArguments({QStringLiteral("--ordinary-priority-child"), QString::number(periodMs),
                        QString::number(ticks), QString::number(rounds)});
    child.setChildProcessModifier(refuseRealTime);
    child.start();
    const int limitMs = int(3 * ticks * periodMs) * rounds + 30'000;
    if (!child.waitForFinished(limitMs) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        child.kill();
        child.waitForFinished();
        std::fprintf(stderr, "scrollbench: the ordinary-priority run failed:\n%s\n",
                     child.readAllStandardError().constData());
        return {};
    }
    // A line per source and round: its name, t0, 1 if it ran real-time, then its wakes.
    TimerRounds records;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        TickRecord& record = records[QString::fromLatin1(fields[0])].emplace_back();
        record.t0Ns = fields[1].toLongLong();
        record.realTime = fields[2] == "1";
        for (qsizetype i = 3; i < fields.size(); ++i)
            record.wakesNs.push_back(fields[i].toLongLong());
    }
    return records;
}

int runOrdinaryPriorityChild(unsigned periodMs, std::size_t ticks, int rounds)
{
    for (const auto& [name, records] : recordTimers(periodMs, ticks, rounds, false)) {
        for (const TickRecord& record : records) {
            std::printf("%s %lld %d", qUtf8Printable(name), static_cast<long long>(record.t0Ns),
                        record.realTime ? 1 : 0);
            for (std::int64_t wake : record.wakesNs)
                std::printf(" %lld", static_cast<long long>(wake));
            std::printf("\n");
        }
    }
    return 0;
}

} // namespace bench
