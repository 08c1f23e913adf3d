#include "platform/rtmidi/AlsaPortList.h"

namespace tessaline {

bool alsaPortListed(const snd_seq_port_info_t* port, bool readable) {
    const unsigned type = snd_seq_port_info_get_type(port);
    const unsigned caps = snd_seq_port_info_get_capability(port);
    const unsigned wanted = readable ? SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ
                                     : SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    return (type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH |
                    SND_SEQ_PORT_TYPE_APPLICATION)) != 0 &&
           (caps & wanted) == wanted;
}

std::string alsaListedName(snd_seq_client_info_t* client, const snd_seq_port_info_t* port) {
    return std::string(snd_seq_client_info_get_name(client)) + ":" +
           snd_seq_port_info_get_name(port) + " " +
           std::to_string(snd_seq_port_info_get_client(port)) + ":" +
           std::to_string(snd_seq_port_info_get_port(port));
}

}  // namespace tessaline
