#include "ZipOnDevice.h"

#include "WritableFile.h"

#include <QFileDevice>

#include <cerrno>

namespace tarvik {

namespace {

struct DeviceSink {
    QIODevice& device;
    zip_error_t error{};
};

zip_int64_t fail(DeviceSink& sink, int code) {
    zip_error_set(&sink.error, code, 0);
    return -1;
}

zip_int64_t seekWrite(DeviceSink& sink, void* data, zip_uint64_t length) {
    const auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &sink.error);
    if (!args)
        return -1;
    qint64 from = 0;
    if (args->whence == SEEK_CUR)
        from = sink.device.pos();
    else if (args->whence == SEEK_END)
        from = sink.device.size();
    if (sink.device.seek(from + args->offset))
        return 0;
    // A seek first writes out what the file buffers, and a write cut short
    // (at a size limit) gives no reason; asking again for the rest brings it
    // out.
    if (auto* file = qobject_cast<QFileDevice*>(&sink.device))
        file->flush();
    return fail(sink, ZIP_ER_SEEK);
}

zip_int64_t onDevice(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* sink = static_cast<DeviceSink*>(state);
    switch (command) {
    case ZIP_SOURCE_STAT:
        // No archive stands there yet: libzip starts a new one.
        zip_error_set(&sink->error, ZIP_ER_READ, ENOENT);
        return -1;
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
        // The device's owner opens it, and commits or discards it.
        return 0;
    case ZIP_SOURCE_WRITE:
        return writeAll(sink->device, static_cast<const char*>(data), qint64(length))
                   ? zip_int64_t(length)
                   : fail(*sink, ZIP_ER_WRITE);
    case ZIP_SOURCE_SEEK_WRITE:
        return seekWrite(*sink, data, length);
    case ZIP_SOURCE_TELL_WRITE:
        return sink->device.pos();
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&sink->error);
        delete sink;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_BEGIN_WRITE,
            ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE,
            ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    default:
        // Nothing is ever read back from a new archive.
        zip_error_set(&sink->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

zip_t* openZipOnDevice(QIODevice& device, QString* whyNot) {
    zip_error_t error;
    zip_error_init(&error);
    auto* sink = new DeviceSink{device};
    zip_source_t* source = zip_source_function_create(onDevice, sink, &error);
    zip_t* zip = nullptr;
    if (!source) {
        delete sink;
    } else if (!(zip = zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error))) {
        zip_source_free(source);
    }
    if (!zip)
        *whyNot = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return zip;
}

QString zipCloseError(zip_t* zip, const QIODevice& device) {
    const int code = zip_error_code_zip(zip_get_error(zip));
    return code == ZIP_ER_WRITE || code == ZIP_ER_SEEK ? writeFailureText(device)
                                                       : QString::fromUtf8(zip_strerror(zip));
}

} // namespace tarvik
