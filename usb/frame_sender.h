#pragma once
// What a page needs of the link to the instrument: whether a device is open, and a way to send
// one frame through the main handle. Pages hold this instead of the dialog.

class FrameSender
{
public:
    virtual ~FrameSender() = default;
    virtual bool deviceOpen() const = 0;
    // Sends one frame, padded to a 64-byte report; does nothing without an open device.
    virtual void sendReport(const unsigned char *data, int length) = 0;
};
