#pragma once

#include <string>

#include <alsa/asoundlib.h>

namespace tessaline {

// The ports the device lists offer, and the names they give them: RtMidi's choice and format,
// which users see and the settings once kept, so that a port is found by the name it was listed
// by. `readable`: a port we can read from (an input of ours), else one we can write to.
bool alsaPortListed(const snd_seq_port_info_t* port, bool readable);
// "client name:port name C:P". (The library wants a client record it may write to.)
std::string alsaListedName(snd_seq_client_info_t* client, const snd_seq_port_info_t* port);

}  // namespace tessaline
