#pragma once
#include <QByteArray>
#include <QGenericArgument>
#include <QString>

// The arguments of one call or event as the caller passed them: the non-empty generic arguments up
// to the first empty one, as type names and data pointers ready for QMetaObject::metacall.
class cArgumentList
{
public:
    enum { MaxArguments = 10 };

    // Pointers to the caller's arguments, not copies: a copy would read each argument in one wide
    // load from where the caller has just written it in two narrow stores, and stall on every one.
    cArgumentList(void *result, const QGenericArgument *const (&arguments)[MaxArguments])
    {
        m_argv[0] = result;
        for (const QGenericArgument *argument : arguments) {
            if (!add(*argument))
                break;
        }
    }

    int count() const { return m_count; }
    const char *typeName(int i) const { return m_typeNames[i]; }
    void *data(int i) const { return m_argv[i + 1]; }
    void *result() const { return m_argv[0]; }
    // The result's address, then the arguments': QMetaObject::metacall's argv.
    void **argv() { return m_argv; }
    // False when an argument carries a type name but no value: invoking would dereference null.
    bool isComplete() const { return m_complete; }

    // "name(type,type)" with the type names as passed: what a method is looked up by, and what
    // a message about it names.
    QByteArray signature(const QString &name) const;

private:
    bool add(const QGenericArgument &argument)
    {
        if (!argument.name())
            return false;
        m_complete = m_complete && argument.data();
        m_typeNames[m_count] = argument.name();
        m_argv[++m_count] = argument.data();
        return true;
    }

    int m_count = 0;
    bool m_complete = true;
    const char *m_typeNames[MaxArguments];
    void *m_argv[MaxArguments + 1];
};
