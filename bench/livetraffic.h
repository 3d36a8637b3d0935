#pragma once

#include <QString>

/// What one receiver made of a burst of packets from a local aprsc.
struct BurstFigures
{
    QString failure; ///< why there are no figures, or the empty text
    qint64 packets = 0; ///< received
    double perSecond = 0; ///< from the first packet to the last
    double longestStallMs = 0; ///< the longest the event loop was kept from a 5 ms timer
    double idleMiB = 0; ///< peak resident memory before the burst
    double peakMiB = 0; ///< after it
};

/// Sends a burst of distinct real packets through a local aprsc to a receiver in a process of its
/// own, reading the full feed: the window "Live Traffic" of a main window, or for the floor a bare
/// socket that only counts lines.
BurstFigures measureBurst(bool window, qint64 packets);

/// The receiving process's part; returns its exit code.
int receiveBurst(int argc, char *argv[], bool window, quint16 port, qint64 packets);

/// Reading and evaluating a capture repeated to the given number of packets, in packets per second.
struct EngineFigures
{
    QString failure;
    double floorPerSecond = 0; ///< reading the file line by line, nothing more
    double readPerSecond = 0; ///< and reading each packet
    double matchPerSecond = 0; ///< and evaluating the line for it
};
EngineFigures measureEngine(qint64 packets, const QString &filterLine);

/// Analysing a capture in the window "Live Traffic", in a process of its own.
struct AnalysisFigures
{
    QString failure;
    qint64 packets = 0;
    double seconds = 0;
    double perSecond = 0;
    double longestStallMs = 0; ///< of the window's event loop while the analysis ran
    double idleMiB = 0; ///< peak resident memory before the analysis
    double peakMiB = 0; ///< after it
};
/// Writes the full-feed capture repeated to the given number of packets and analyses it with the line.
AnalysisFigures measureAnalysis(qint64 packets, const QString &filterLine);
/// The analysing process's part.
int analyseInChild(int argc, char *argv[], const QString &path, const QString &filterLine);

/// A loopback server that writes packets as fast as the window "Live Traffic" takes them.
struct FloodFigures
{
    QString failure;
    qint64 packets = 0; ///< received by the window
    double idleMiB = 0;
    double peakMiB = 0;
    double recordingMiB = 0; ///< what the recording for "Save..." holds at the end
    qint64 dropped = 0; ///< packets the window could not read in time
};
FloodFigures measureFlood(int seconds);
/// The flooded process's part.
int receiveFlood(int argc, char *argv[], quint16 port, int seconds);
