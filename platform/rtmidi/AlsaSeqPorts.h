#pragma once

#include <alsa/asoundlib.h>

#include <string>

namespace tessaline {

// What an input or output of ours needs of the sequencer's port list. Ports are named as the
// device lists name them ("client:port C:P", RtMidi's format), which users see and the settings
// keep, so a port is found by the name it was listed by.

enum class PortDirection {
    Readable,  // a source: we read what it sends
    Writable,  // a destination: we write to it
};

// Whether the device lists offer this port, and under which name (clientName: its client's).
bool isListedPort(const snd_seq_port_info_t* port, PortDirection direction);
std::string listedPortName(const std::string& clientName, const snd_seq_port_info_t* port);

// The address of the listed port of that name and direction; false when there is none.
bool findListedPort(snd_seq_t* seq, const std::string& name, PortDirection direction,
                    snd_seq_addr_t& address);

// A port of our own on `seq`, of that name: writable by others for an input, readable by others
// for an output. Its number, or -1.
int makeOwnPort(snd_seq_t* seq, const std::string& name, PortDirection ourDirection);

// The name under which other programs list our port `port` of client `seq`.
std::string ownListedName(snd_seq_t* seq, int port);

// Connects sender to dest; false when the sequencer refuses.
bool connectPorts(snd_seq_t* seq, const snd_seq_addr_t& sender, const snd_seq_addr_t& dest);

}  // namespace tessaline
