// The command line's backup, restore and undo: the destination kept, written back and checked
// the way a copy is.
#include <chrono>

#include "platform/UserDataFolder.h"
#include "synth/CopyRecord.h"
#include "synth/DestinationDumpFile.h"
#include "synth/UndoPlan.h"
#include "synth/WholeFileWrite.h"
#include "tools/cli/CliSession.h"

namespace tessaline::cli {

namespace {

const char* const kCopyGone = "The instrument no longer holds that copy; nothing was changed.";

int modeOf(DestinationKind kind) {
    return kind == DestinationKind::Performance ? kModePerformance : kModeSongMix;
}

}  // namespace

int CliSession::connectedModel(const ModelInfo*& model) {
    model = findModelByName(device_.deviceName().c_str());
    if (model == nullptr) {
        complain("the instrument named itself \"" + device_.deviceName() +
                 "\", a model this program keeps no files for");
        return kExitUsage;
    }
    return kExitOk;
}

int CliSession::readDestination(int mode, std::optional<CompletedDump>& dump) {
    WriteJob job;
    job.kind = WriteJob::Kind::ReadOnly;
    job.mode = mode;
    job.changesMode = false;  // reading selects nothing
    SessionOptions options;
    options.answerWithinMs = timeoutMs_;
    CopySession session(device_, std::move(job), options);
    drive(session);
    if (session.result().outcome != SessionOutcome::Read) {
        return reportFailure(session.result());
    }
    dump = session.snapshot();
    return kExitOk;
}

int CliSession::writeAndCheck(WriteJob job, const std::string& done) {
    SessionOptions options;
    options.answerWithinMs = timeoutMs_;
    CopySession session(device_, std::move(job), options);
    drive(session);
    const SessionResult& result = session.result();
    if (result.sentTwice) {
        say("Sent it a second time");
    }
    if (result.outcome != SessionOutcome::Checked) {
        return reportFailure(result);
    }
    say(verifiedLine(result.check));
    say(done);
    return kExitOk;
}

int CliSession::backup(const BackupSpec& request) {
    const bool toPerformance = request.destination == Destination::Performance;
    const ModelInfo* model = nullptr;
    int code = connect();
    if (code != kExitOk || (code = checkDestination(toPerformance)) != kExitOk ||
        (code = connectedModel(model)) != kExitOk) {
        return code;
    }
    if (toPerformance && (code = fetchPerformance(request.performance)) != kExitOk) {
        return code;
    }
    std::optional<CompletedDump> dump;
    if ((code = readDestination(toPerformance ? kModePerformance : kModeSongMix, dump)) !=
        kExitOk) {
        return code;
    }
    std::vector<unsigned char> bytes;
    for (const auto& message : dump->messages) {
        bytes.insert(bytes.end(), message.begin(), message.end());
    }
    std::filesystem::path path;
    if (request.out) {
        path = *request.out;
        if (std::string error = writeFileWhole(path, bytes); !error.empty()) {
            complain(error);
            return kExitUsage;
        }
    } else {
        if (!dataFolder_) {
            complain("there is no folder for backups: " + programDataFolderMissing() +
                     " (or use --out FILE)");
            return kExitUsage;
        }
        const DestinationKind kind =
            toPerformance ? DestinationKind::Performance : DestinationKind::SongMix;
        const SavedBackup saved =
            BackupStore(*dataFolder_)
                .save(model->displayName,
                      backupLabel(kind,
                                  toPerformance ? programName(request.performance.program()) : ""),
                      dump->messages, std::chrono::system_clock::now());
        if (!saved.ok()) {
            complain(saved.error);
            return kExitUsage;
        }
        path = saved.path;
    }
    say("Saved the destination as " + path.string());
    return kExitOk;
}

int CliSession::restore(const std::string& file) {
    const ModelInfo* model = nullptr;
    int code = connect();
    if (code != kExitOk || (code = connectedModel(model)) != kExitOk) {
        return code;
    }
    // Refused whole before anything is sent: another model's, damaged, or not a destination.
    const DumpFileResult read = readDestinationDumpFile(file, *model);
    if (!read.dump) {
        complain(file + ": " + read.error);
        return kExitUsage;
    }
    if ((code = checkDestination(read.dump->kind == DestinationKind::Performance)) != kExitOk) {
        return code;
    }
    // Sent as it stands into the current performance or song mix, as any SysEx tool would: no
    // mode change, no program change.
    WriteJob job;
    job.kind = WriteJob::Kind::BulkMessages;
    job.mode = modeOf(read.dump->kind);
    job.bulk = read.dump->messages;
    job.expected = valuesOfDump(read.dump->blocks);
    job.changesMode = false;
    job.asksForSong = false;
    return writeAndCheck(std::move(job), "Restored " + file);
}

int CliSession::undo() {
    const ModelInfo* model = nullptr;
    int code = connect();
    if (code != kExitOk || (code = connectedModel(model)) != kExitOk) {
        return code;
    }
    if (!dataFolder_) {
        complain("there is no folder for backups: " + programDataFolderMissing());
        return kExitUsage;
    }
    const BackupStore store(*dataFolder_);
    const std::optional<std::filesystem::path> newest = store.newest(model->displayName);
    if (!newest) {
        complain("there is no backup of the " + std::string(model->displayName) + " to undo (in " +
                 store.folderOf(model->displayName).string() + ")");
        return kExitUsage;
    }
    const DumpFileResult backup = readDestinationDumpFile(*newest, *model);
    const RecordResult record = readCopyRecord(recordPathOf(*newest));
    if (!backup.dump || !record.record) {
        complain(newest->string() + ": " + (backup.dump ? record.error : backup.error));
        return kExitUsage;
    }
    if (record.record->model != model->displayName || record.record->kind != backup.dump->kind) {
        complain(newest->string() + ": its record belongs to another copy");
        return kExitUsage;
    }
    const int mode = modeOf(backup.dump->kind);
    if ((code = checkDestination(mode == kModePerformance)) != kExitOk) {
        return code;
    }
    // Only a destination that still holds the copy is taken back: anything else would overwrite
    // what the user did since.
    std::optional<CompletedDump> current;
    if ((code = readDestination(mode, current)) != kExitOk) {
        return code;
    }
    if (!stillHoldsCopy(writtenValues(record.record->messages), current->blocks)) {
        complain(kCopyGone);
        return kExitUsage;
    }
    const UndoPlan plan = planUndo(record.record->messages, backup.dump->blocks);
    if (!plan.ok()) {
        complain(newest->string() + ": " + plan.error);
        return kExitUsage;
    }
    // The same parameter changes a copy sends; no program change, which would reload the
    // performance and lose what the backup protects.
    WriteJob job;
    job.kind = WriteJob::Kind::Parameters;
    job.mode = mode;
    job.parameters = plan.messages;
    job.asksForSong = false;
    return writeAndCheck(std::move(job), "Restored " + newest->string());
}

}  // namespace tessaline::cli
