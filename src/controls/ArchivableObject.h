#pragma once

class QDataStream;

// An object that can be created by its class name (see CreateObjectByName)
// and written to or read from an archive. Archives are little-endian; Store
// and Load set that byte order on the stream for their own duration.
class ArchivableObject {
public:
    virtual ~ArchivableObject() = default;

    // The run-time class name the object is created under.
    virtual const char* ClassName() const = 0;
    virtual void Store(QDataStream& archive) const = 0;
    // Returns false, leaving the object as it was, when the archive ends
    // before the whole record has been read.
    virtual bool Load(QDataStream& archive) = 0;
};
