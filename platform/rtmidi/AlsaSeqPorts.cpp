#include "platform/rtmidi/AlsaSeqPorts.h"

namespace tessaline {

bool isListedPort(const snd_seq_port_info_t* port, PortDirection direction) {
    const unsigned type = snd_seq_port_info_get_type(port);
    const unsigned caps = snd_seq_port_info_get_capability(port);
    const unsigned wanted = direction == PortDirection::Readable
                                ? SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ
                                : SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    return (type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH |
                    SND_SEQ_PORT_TYPE_APPLICATION)) != 0 &&
           (caps & wanted) == wanted;
}

std::string listedPortName(const std::string& clientName, const snd_seq_port_info_t* port) {
    return clientName + ":" + snd_seq_port_info_get_name(port) + " " +
           std::to_string(snd_seq_port_info_get_client(port)) + ":" +
           std::to_string(snd_seq_port_info_get_port(port));
}

bool findListedPort(snd_seq_t* seq, const std::string& name, PortDirection direction,
                    snd_seq_addr_t& address) {
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
        const int id = snd_seq_client_info_get_client(client);
        if (id == SND_SEQ_CLIENT_SYSTEM) {
            continue;
        }
        snd_seq_port_info_set_client(port, id);
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq, port) >= 0) {
            if (isListedPort(port, direction) &&
                listedPortName(snd_seq_client_info_get_name(client), port) == name) {
                address.client = static_cast<unsigned char>(id);
                address.port = static_cast<unsigned char>(snd_seq_port_info_get_port(port));
                return true;
            }
        }
    }
    return false;
}

int makeOwnPort(snd_seq_t* seq, const std::string& name, PortDirection ourDirection) {
    snd_seq_port_info_t* port = nullptr;
    snd_seq_port_info_alloca(&port);
    snd_seq_port_info_set_capability(port,
                                     ourDirection == PortDirection::Writable
                                         ? SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE
                                         : SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ);
    snd_seq_port_info_set_type(port,
                               SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    snd_seq_port_info_set_midi_channels(port, 16);
    snd_seq_port_info_set_name(port, name.c_str());
    if (snd_seq_create_port(seq, port) < 0) {
        return -1;
    }
    return snd_seq_port_info_get_port(port);
}

std::string ownListedName(snd_seq_t* seq, int port) {
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* info = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&info);
    if (snd_seq_get_client_info(seq, client) < 0 || snd_seq_get_port_info(seq, port, info) < 0) {
        return {};
    }
    return listedPortName(snd_seq_client_info_get_name(client), info);
}

bool connectPorts(snd_seq_t* seq, const snd_seq_addr_t& sender, const snd_seq_addr_t& dest) {
    snd_seq_port_subscribe_t* subscription = nullptr;
    snd_seq_port_subscribe_alloca(&subscription);
    snd_seq_port_subscribe_set_sender(subscription, &sender);
    snd_seq_port_subscribe_set_dest(subscription, &dest);
    return snd_seq_subscribe_port(seq, subscription) == 0;
}

}  // namespace tessaline
