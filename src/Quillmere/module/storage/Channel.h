// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One channel of one device or disk, as the searches hand it on.
#include <QString>
#include <functional>

namespace ziraz {
class GenericDS;
}

namespace APT_QMR {

class CChannel {
public:
    CChannel();
    CChannel(const CChannel& other) = default;
    CChannel& operator=(const CChannel& other) = default;
    ~CChannel() = default;

    void SetChannelNumber(int number) { ChannelNumber = number; }
    void SetDevice(const QString& device) { StrDevice = device; }
    void SetRbs(bool rbs) { Rbs = rbs; }

    int GetChannelNumber() const { return ChannelNumber; }
    QString GetDevice() const { return StrDevice; }
    bool GetRbs() const { return Rbs; }

    // Always false; a channel that is not set has the number -1.
    bool IsNull() const { return false; }

    // "<CChannel><ChannelNumber>..</ChannelNumber><StrDevice>..</StrDevice>
    // <Rbs>0|1</Rbs></CChannel>" on one line, values escaped.
    QString toXml() const;
    // Reads the three fields from a "CChannel" element, which may also be
    // nested in an outer element (the "ChannelInfo" of a channel-files
    // record). A text that does not load leaves the record unchanged.
    void fromXml(const QString& xml);
    // The same from an element of a document already loaded; a null element
    // leaves the record unchanged.
    void fromElement(const ziraz::GenericDS& element);
    // The same from the texts of the child elements of the channel element
    // itself (see CSingleFile::fromChildTexts).
    void fromChildTexts(const std::function<QString(const QString&)>& childText);

private:
    int ChannelNumber;
    QString StrDevice;
    bool Rbs;
};

}  // namespace APT_QMR
