#pragma once
// IParameterListener: told when a parameter changes, when an edit from the editor opens and
// closes, and when the mouse enters and leaves a widget bound to the parameter.

namespace plugkit
{

class Parameter;

// Notifications run on whichever thread made the change, the audio thread included: do only
// cheap, thread-safe work here (mark something dirty), and never add or remove listeners of
// the same parameter from inside a notification.
class IParameterListener
{
public:
    virtual ~IParameterListener() = default;

    virtual void onParameterChanged(Parameter* sender) = 0;
    virtual void onBeginParameterEdit(Parameter* sender) = 0;
    virtual void onEndParameterEdit(Parameter* sender) = 0;
    virtual void onBeginParameterHover(Parameter* sender) = 0;
    virtual void onEndParameterHover(Parameter* sender) = 0;
};

} // namespace plugkit
