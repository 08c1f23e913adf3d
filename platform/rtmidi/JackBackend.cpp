#include "platform/rtmidi/JackBackend.h"

#include <utility>

#include "platform/rtmidi/JackMidiClient.h"
#include "platform/rtmidi/JackMonitor.h"
#include "platform/rtmidi/RtMidiBackends.h"

namespace tessaline {

namespace {

class JackInput final : public BackendInput {
  public:
    explicit JackInput(std::unique_ptr<JackMidiClient> client) : client_(std::move(client)) {}

  private:
    std::unique_ptr<JackMidiClient> client_;
};

class JackOutput final : public BackendOutput {
  public:
    explicit JackOutput(std::unique_ptr<JackMidiClient> client) : client_(std::move(client)) {}
    // What is still queued goes out before the port closes.
    ~JackOutput() override { client_->drain(kSendRoomWaitMs); }

    MidiResult send(const unsigned char* data, std::size_t length, PendingSend& pending) override {
        if (!client_->alive()) {
            return midiresult::ServerStopped;
        }
        // A target that went away has taken its connection with it: nothing would arrive.
        if (!client_->outputConnected()) {
            return midiresult::DeviceGone;
        }
        return client_->send(data, length, kSendRoomWaitMs, pending);
    }
    int longestWaitMs() const override { return kSendRoomWaitMs; }

  private:
    std::unique_ptr<JackMidiClient> client_;
};

class JackBackend final : public MidiBackend {
  public:
    explicit JackBackend(std::string clientName)
        : clientName_(std::move(clientName)), monitor_(clientName_ + " monitor") {}

    bool serverUp() { return monitor_.connect(); }

    std::string apiName() const override { return "jack"; }
    std::vector<std::string> inputNames() override { return names(true); }
    std::vector<std::string> outputNames() override { return names(false); }

    MidiResult openInput(const std::string& name, InputSink& sink,
                         std::unique_ptr<BackendInput>& input) override {
        MidiResult result = midiresult::Error;
        auto client = openClient({&sink, false}, result);
        if (client && (result = client->connectInputFrom(name)) == midiresult::Ok) {
            input = std::make_unique<JackInput>(std::move(client));
        }
        return result;
    }

    MidiResult openOutput(const std::string& name,
                          std::unique_ptr<BackendOutput>& output) override {
        MidiResult result = midiresult::Error;
        auto client = openClient({nullptr, true}, result);
        if (client && (result = client->connectOutputTo(name)) == midiresult::Ok) {
            output = std::make_unique<JackOutput>(std::move(client));
        }
        return result;
    }

  private:
    std::unique_ptr<JackMidiClient> openClient(JackMidiClient::Ports ports, MidiResult& result) {
        if (!serverUp()) {
            result = midiresult::DeviceGone;
            return nullptr;
        }
        return JackMidiClient::open(clientName_, ports, result);
    }

    std::vector<std::string> names(bool sources) {
        if (!serverUp()) {
            return {};
        }
        std::vector<std::string> listed;
        for (std::string& port : monitor_.midiPorts(sources)) {
            if (!isPortOfClient(port, clientName_)) {
                listed.push_back(std::move(port));
            }
        }
        return listed;
    }

    std::string clientName_;
    JackMonitor monitor_;
};

}  // namespace

std::shared_ptr<MidiBackend> startJackBackend(const std::string& clientName) {
    auto backend = std::make_shared<JackBackend>(clientName);
    return backend->serverUp() ? backend : nullptr;
}

}  // namespace tessaline
