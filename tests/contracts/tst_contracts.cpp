// The host contract as the meta-object system records it: a host finds every operation by its
// normalized signature, so a renamed parameter type, a reordered operation or a wrong base breaks
// calls by name without any compiler noticing.

#include "IAbstractTransport.h"
#include "IMacroEditor.h"
#include "cContractCatalogue.h"
#include "cHostMetaTypes.h"

#include "IAbstractDevBus.h"
#include "IAbstractDevice.h"
#include "IAbstractDeviceProvider.h"
#include "IAssignment.h"
#include "IAssignments.h"
#include "IAudioCaptureTransport.h"
#include "IAudioDevice.h"
#include "IAudioDeviceMgr.h"
#include "IAudioFeedbackLoopModel.h"
#include "IAudioPlayer.h"
#include "IAudioRenderTransport.h"
#include "IAudioTransport.h"
#include "IBacklightColor.h"
#include "IChannelAttenuationModel.h"
#include "IChannelMixerModel.h"
#include "IDPCMgr.h"
#include "IDeferredProcedureCall.h"
#include "IDevMgr.h"
#include "IDevMgrLow.h"
#include "IDolbyModel.h"
#include "IEqualizerModel.h"
#include "IGainModel.h"
#include "IGenericAssignment.h"
#include "IHidTransport.h"
#include "IMacro.h"
#include "IMacroType.h"
#include "IMacroTypeMgr.h"
#include "IMainApp.h"
#include "IMicrophoneModel.h"
#include "INativeAppSupport.h"
#include "IOnboardProfile.h"
#include "IOnboardProfiles.h"
#include "IPlayState.h"
#include "IProfile.h"
#include "IProfileBacklight.h"
#include "IProfileMgr.h"
#include "IProfiler.h"
#include "IProfilerDevice.h"
#include "ISBVMModel.h"
#include "ISidetoneModel.h"
#include "ISimInput.h"
#include "IVolumeModel.h"
#include "cJsonValue.h"

#include <QDomElement>
#include <QMetaMethod>
#include <QWidget>
#include <QtTest>

namespace {

// One interface: its meta-object, the base it must derive from and its own operations in
// declaration order, each as "result signature parameterNames". Types are written as the contract
// names them; Qt's normalisation turns both sides into its own spelling (quint32 becomes uint,
// QList<QString> becomes QStringList under Qt 6), which is also what a caller by name goes through.
struct InterfaceRow
{
    const QMetaObject *meta;
    const QMetaObject *base;
    QList<const char *> operations;
};

const QList<InterfaceRow> &contractTable()
{
    static const QList<InterfaceRow> table = {
        {&IAbstractDeviceProvider::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cAbstractDevicePtr createDevice(cAbstractTransportPtr) transport",
             "QDomElement deviceMetaData(QString) deviceModel",
         }},
        {&IAbstractDevice::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cObjectPtr queryInterface(QString) ifc",
             "QString id()",
             "void setId(QString) id",
             "QString model()",
             "QString displayName()",
             "void deviceInfo()",
             "void writeProperty(cJsonValue) prop",
             "bool addTransport(cAbstractTransportPtr) transport",
             "void removeTransport(cAbstractTransportPtr) transport",
             "DeviceValidationResult::DeviceValidationResult_t validate()",
             "void start()",
             "void stop()",
         }},
        {&IAbstractTransport::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "void info()",
             "void start()",
             "void stop()",
             "bool started()",
             "QByteArray read()",
             "bool setFeature(QByteArray) featureReport",
             "QByteArray feature(int) reportId",
             "bool feature(QByteArray&) report",
             "void write(int,QByteArray) cookie,outputReport",
             "void processPowerChange(PowerType::PowerType_t) change",
         }},
        {&IHidTransport::staticMetaObject, &IAbstractTransport::staticMetaObject, {}},
        {&IAudioTransport::staticMetaObject, &IAbstractTransport::staticMetaObject, {}},
        {&IAudioRenderTransport::staticMetaObject,
         &IAudioTransport::staticMetaObject,
         {
             "cDolbyModelPtr getDolbyModel()",
             "cChannelAttenuationModelPtr getChannelAttenuationModel()",
             "cGainModelPtr getGainModel()",
             "cEqualizerModelPtr getSimpleEqualizerModel()",
             "cEqualizerModelPtr getAdvancedEqualizerModel()",
             "cEqualizerModelPtr getAdvancedEnggEqualizerModel()",
         }},
        {&IAudioCaptureTransport::staticMetaObject,
         &IAudioTransport::staticMetaObject,
         {
             "cSBVMModelPtr getSBVMModel()",
         }},
        {&IMicrophoneModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "MicCaps::MicCaps_t getCaps()",
             "MicLight::MicLight_t getLightConfig()",
             "bool setLightConfig(MicLight::MicLight_t) type",
             "MicMuteNotification::MicMuteNotification_t getNotificationConfig()",
             "bool setNotificationConfig(MicMuteNotification::MicMuteNotification_t) type",
             "bool isMuted()",
         }},
        {&IDevMgrLow::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "void registerBus(cAbstractDevBusPtr) bus",
             "void unregisterBus(cAbstractDevBusPtr) bus",
             "void registerDeviceProvider(cAbstractDeviceProviderPtr,QString) deviceProvider,pluginAlias",
             "void unregisterDeviceProvider(cAbstractDeviceProviderPtr) deviceprovider",
             "QString generateUid()",
             "cJsonValue parseManifest(QDomElement) deviceXml",
         }},
        {&IProfiler::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "QString toContextId(GKey::GKey_t) gkey",
             "QString toContextId(GenericButton::GenericButton_t) button",
             "GKey::GKey_t stringToGKey(QString) name",
             "GenericButton::GenericButton_t stringToGenericButton(QString) name",
             "QString gKeyToString(GKey::GKey_t) gkey",
             "MKey::MKey_t stringToMKey(QString) name",
             "QString mKeyToString(MKey::MKey_t) mkey",
             "MKey::MKey_t getMState(QString) category",
             "bool setMState(QString,QString,MKey::MKey_t) category,model,mkey",
             "bool playScriptingMacroByName(QString,QString) profileID,macroName",
             "bool abortScriptingMacro()",
             "bool isMouseCategory(QString) devCategory",
             "cProfilerDevicePtr createProfilerDevice(cAbstractDevicePtr) device",
             "void refreshBacklighting()",
             "void refreshProfileBacklighting(cProfilePtr,cAbstractDevicePtr) profile,device",
             "void refreshMousePointerSettings(QString,QString) profileID,deviceModel",
             "void setBacklightReactToProfiler(bool) enable",
         }},
        {&IAudioDeviceMgr::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cAudioDevicePtr "
             "createAudioDevice(QWeakPointer<IAbstractDevice>,cAudioRenderTransportPtr,"
             "cAudioCaptureTransportPtr) device,renderTransport,captureTransport",
             "void destroyAudioDevice(cAudioDevicePtr) device",
             "void destroyAudioDevice(QString) deviceUid",
             "cAudioDevicePtr getDevice(QString) deviceUid",
             "cAudioDevicePtr getActiveDevice(QString) deviceModel",
             "cAudioDevicePtr getActiveDevice()",
             "cAudioDeviceList getDevices()",
         }},
        {&IAudioDevice::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "QString deviceName()",
             "QString deviceModel()",
             "QString deviceUid()",
             "bool audioStreaming()",
             "cDolbyModelPtr getDolbyModel()",
             "cChannelMixerModelPtr getChannelMixerModel()",
             "cGainModelPtr getGainModel()",
             "cEqualizerModelPtr getSimpleEqualizerModel()",
             "cEqualizerModelPtr getAdvancedEqualizerModel()",
             "cEqualizerModelPtr getAdvancedEnggEqualizerModel()",
             "cSidetoneModelPtr getSidetoneModel()",
             "cSBVMModelPtr getSBVMModel()",
             "cMicrophoneModelPtr getMicrophoneModel()",
             "cVolumeModelPtr getVolumeModel()",
             "cAudioFeedbackLoopModelPtr getAudioFeedbackLoopModel()",
             "cAudioPlayerPtr getAudioPlayer()",
         }},
        {&IVolumeModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "quint32 getVolume()",
             "bool setVolume(quint32) level",
             "bool handleVolumeBoost(bool,bool) isHID,volDown",
             "quint32 getScaledVolume()",
             "bool isSpeakerMuted()",
             "bool setSpeakerMute(bool) mute",
             "bool isMicMuted()",
             "bool setMicMute(bool) mute",
             "quint32 getMicGain()",
             "bool setMicGain(quint32) level",
             "quint32 getBass()",
             "bool setBass(quint32) level",
             "quint32 getTreble()",
             "bool setTreble(quint32) level",
             "bool incVolume()",
             "bool decVolume()",
             "bool incMicGain()",
             "bool decMicGain()",
             "AudioControlState::AudioControlState_t getControlState(AudioControl::AudioControl_t) control",
         }},
        {&IDolbyModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool enableDolby(bool) enable",
             "bool isDH2PActive()",
             "bool enableDH2P(bool) enable",
             "bool isDPL2Active()",
             "bool enableDPL2(bool) enable",
             "bool isMovieModeActive()",
             "bool enableMovieMode(bool) enable",
             "bool isMultiChannelActive()",
             "int getCenterWidth()",
             "bool setCenterWidth(int) width",
             "quint64 getChannelMaskRaw()",
             "ChannelMask::ChannelMask_t getChannelMask()",
         }},
        {&IProfilerDevice::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "QString category()",
             "bool hasMKeys()",
             "bool hasGKeys()",
             "bool hasModeCycling()",
             "cGenericAssignmentPtrList genericAssignments()",
             "cGenericAssignmentPtr genericAssignment(QString,MKey::MKey_t) contextID,mode",
         }},
        {&IMainApp::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "void execute(bool) launchUpdateWizard",
             "void winRegisterDeviceChange(QUuid) classGuid",
             "Qt::HANDLE winRegisterDeviceHandleChange(Qt::HANDLE) fileHandle",
             "void winUnregisterDeviceHandleChange(Qt::HANDLE) changeHandle",
             "QWidget* mainWidget()",
             "void loadStyleSheet()",
             "void launchUpdateWizard()",
             "void setModalLock(bool) enable",
             "bool inForeground()",
             "bool showTrayMessage(QString,QString,MessageIcon::MessageIcon_t,int,int) "
             "title,message,icon,msecs,cookie",
             "QString foregroundApp()",
         }},
        {&IDeferredProcedureCall::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "void run()",
         }},
        {&IDPCMgr::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "void addDPC(cDPCPtr,int,DPCWhence::DPCWhence_t) dpc,when,whence",
             "void addDPCCond(cDPCPtr,QString) dpc,cond",
             "bool addDPCCondUnique(cDPCPtr,QString,QString) dpc,cond,uid",
             "bool conditionSignaled(QString) cond",
             "void signalCondition(QString) cond",
         }},
        {&IDevMgr::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cJsonValue enumerate(cJsonValue) filter",
             "void writeProperty(cJsonValue,cJsonValue) filter,prop",
             "QDomElement metaData(QString) deviceModel",
             "cAbstractDevicePtr findDevice(QString) uid",
             "cAbstractDeviceList findDevices(cJsonValue) filter",
         }},
        {&IAbstractDevBus::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "QString name()",
             "void enumerate()",
             "void parseManifest(QDomElement,cJsonValue*) deviceXml,deviceInfo",
             "void processPowerChange(PowerType::PowerType_t) change",
         }},
        {&ISimInput::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool simulate(cJsonValue) events",
             "bool releaseAll()",
             "bool keyPress(HidKey::HidKey_t) key",
             "bool keyRelease(HidKey::HidKey_t) key",
             "bool click(HidKey::HidKey_t) key",
             "bool mouseButtonPress(MouseButton::MouseButton_t) button",
             "bool mouseButtonRelease(MouseButton::MouseButton_t) button",
             "bool mouseButtonClick(MouseButton::MouseButton_t) button",
             "bool moveMouse(int,int,MouseMove::MouseMove_t) x,y,how",
             "bool mouseWheel(int) delta",
             "bool mouseTilt(int) delta",
             "bool unicode(QChar) c",
             "bool enableJoystick(bool) enable",
             "bool simulateJoystick(quint8,quint8,bool) x,y,button",
         }},
        {&INativeAppSupport::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "QString name()",
             "bool allowAssigned()",
             "bool isActive()",
             "void reset()",
             "bool mouseButtonPressed(GenericButton::GenericButton_t) button",
             "bool mouseButtonReleased(GenericButton::GenericButton_t) button",
             "bool gkeyPressed(GKey::GKey_t) gkey",
             "bool gkeyReleased(GKey::GKey_t) gkey",
         }},
        {&IProfileMgr::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cProfilePtr createNewProfile()",
             "bool addProfile(cProfilePtr) profile",
             "bool addProfile(QDomElement,QString,QString) profile,displayName,signature",
             "bool deleteProfileByID(QString) profileID",
             "void importProfile(QString) profilePath",
             "void copyProfile(QString) profileID",
             "void copyProfileToDevice(QString,QString,QString) profileID,deviceId,deviceName",
             "void exportProfile(QString,QString) profileID,profilePath",
             "void printProfile(QString,QString,QStringList) profileID,deviceCategory,keys",
             "cProfilePtr profileByID(QString) profileID",
             "cProfilePtr profileByName(QString) profileName",
             "void activateNextProfile()",
             "bool editProfileProperties(cProfilePtr) profile",
             "QString getActiveProfileID()",
             "void setPersistentProfileByID(QString) profileID",
             "QString getPersistentProfileID()",
             "void setDefaultProfileByID(QString) profileID",
             "QString getDefaultProfileID()",
             "bool isDefaultConfiguration(QString) profileID",
             "cProfilePtrList allProfiles()",
             "bool addMacro(QString,cMacroPtr) profileID,macro",
             "bool copyMacros(QString,QString,QStringList) fromProfileID,toProfileID,macroIDs",
             "bool deleteMacroByID(QString,QString) profileID,macroID",
             "bool editMacro(QString,cMacroPtr) profileID,macro",
             "cMacroPtrList allMacros(QString) profileID",
             "cMacroPtr macroByID(QString,QString) profileID,macroID",
             "QString getAssignment(QString,QString,MKey::MKey_t,QString) "
             "profileID,devicemodal,mode,contextID",
             "bool setAssignment(QString,QString,QString,MKey::MKey_t,QString) "
             "profileID,devicemodal,macroID,mode,contextID",
             "void setGenericAssignment(QString,QString,cGenericAssignmentPtr) "
             "profileID,category,genericAssignment",
             "bool removeAssignment(QString,QString,MKey::MKey_t,QString) "
             "profileID,devicemodal,mode,contextID",
             "bool isMacroAssigned(QString,QString,QStringList,QString) "
             "profileID,devCategory,contextIDs,macroID",
             "bool saveAllProfiles()",
             "bool addMouseMacro(QString) profileID",
             "bool addJoystickMacro(QString) profileID",
             "bool setProfileScript(QString,QString) profileID,script",
             "QString getProfileScript(QString) profileID",
             "QString getProfileName(QString) profileID",
             "QString getProfileDeviceId(QString) profileID",
             "QByteArray getProfilesToGoXML(QString,bool,QStringList) deviceId,dirtyOnly,localProfileIds",
             "cProfilePtrList getProfilesToGo(QString) deviceId",
             "bool isProfileToGoDirty(QString) profileID",
             "void testProfile(QString) profileID",
             "cMacroPtr getMacroByTypeAndName(QString,QString,QString,bool) "
             "profileID,macroType,macroName,hidden",
             "void moveAssignments(QString,QString,QString) profileID,fromMacroID,toMacroID",
             "bool containsDevCategory(QString,QString) profileID,devCategory",
             "void setPointerDpi(QString,QString,cDpiSettings,MKey::MKey_t) profileID,deviceModel,dpi,mode",
             "void setPointerMovement(QString,QString,int,bool,MKey::MKey_t) "
             "profileID,deviceModel,speed,enableAcceleration,mode",
             "void setPointerReportRate(QString,QString,int,MKey::MKey_t) "
             "profileID,deviceModel,reportRate,mode",
             "cPointerProperties pointerProperties(QString,QString,MKey::MKey_t) profileID,deviceModel,mode",
             "bool profileHasBackup(QString,QString) profileID,deviceCategory",
             "void setDefaultAssignment(QString,QString,MKey::MKey_t,QString) "
             "profileID,devicemodal,mode,contextID",
             "void cleanupBackup(QString,QString) profileID,devicemodal",
             "bool assignmentHasBackup(QString,QString,MKey::MKey_t,QString) "
             "profileID,devicemodal,mode,contextID",
             "void setProfileIcon(QString,QPixmap) profileID,scaledIcon",
             "QPixmap profileIcon(QString) profileID",
             "bool hasCustomIcon(QString) profileID",
             "bool canMacroBeAssignedTo(QString,QString,QString,MKey::MKey_t,QString,bool) "
             "macroID,profileID,deviceCategory,mode,contextID,showErr",
             "bool canMacroBeChangedTo(QString,QString,cMacroPtr) profileID,macroID,newMacro",
             "bool enableProfileBackup(QString,bool) profileID,enable",
             "cMacroPtr findEquivalentMacro(QString,cMacroPtr) profileID,macro",
             "bool enableRemoveModeSwitchPrompt(bool) enable",
             "bool isMacroModeless(QString,QString) profileID,macroID",
         }},
        {&IProfile::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cObjectPtr queryInterface(QString) ifc",
             "cProfilePtr clone()",
             "QString profileID()",
             "void setProfileID(QString) newProfileID",
             "void generateProfileID()",
             "QString profileName()",
             "void setProfileName(QString) newProfileName",
             "QString displayName()",
             "QString profileDescription()",
             "void setProfileDescription(QString) newDescription",
             "QString target()",
             "void setTarget(QString) newTarget",
             "QString script()",
             "void setScript(QString) newScript",
             "bool isLockable()",
             "void setIsLockable(bool) newLockable",
             "cMacroPtr macroByID(QString) macroID",
             "cMacroPtrList macrosByName(QString) macroName",
             "QString assignedMacroID(QString,MKey::MKey_t,QString) deviceCategory,mode,contextID",
             "bool containsMacroID(QString) macroID",
             "QString deviceName()",
             "void setDeviceName(QString) newDeviceName",
             "QString deviceID()",
             "void setDeviceID(QString) newDeviceID",
             "bool useLCD()",
             "void setUseLCD(bool) nowUseLCD",
             "cProfileBacklightPtr backlight(QString) deviceModel",
             "void enableRemoveModeSwitchPrompt(bool) enableRemoveModeSwitchPrompt",
             "void setDirty(bool) dirty",
         }},
        {&IProfileBacklight::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cObjectPtr queryInterface(QString) ifc",
             "void setColor(QColor,MKey::MKey_t) c,mode",
             "QColor color(MKey::MKey_t) mode",
             "QString model()",
         }},
        {&IBacklightColor::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "QColor color()",
             "bool setColor(QColor) newColor",
             "bool isGlobal()",
         }},
        {&IMacro::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cObjectPtr queryInterface(QString) ifc",
             "cMacroPtr clone()",
             "QString macroID()",
             "void setMacroID(QString) newMacroID",
             "void generateMacroID()",
             "QString macroName()",
             "void setMacroName(QString) newMacroName",
             "QString nameSpace()",
             "RepeatMode::RepeatMode_t repeatMode()",
             "void setRepeatMode(RepeatMode::RepeatMode_t) newRepeatMode",
             "int repeatDelay()",
             "void setRepeatDelay(int) newDelay",
             "bool hidden()",
             "void setHidden(bool) nowHidden",
         }},
        {&IMacroType::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cJsonValue info()",
             "QString nameSpace()",
             "IMacroEditor* editor(cMacroPtr) macro",
             "cMacroPtr fromXml(QDomElement) macroDataDomElement",
             "QDomElement toXml(QDomDocument&,cMacroPtr) doc,macro",
             "cPlayStatePtr createPlayState(cMacroPtr) macro",
             "bool isRepeatable()",
             "bool isPrivate()",
             "bool isFixedName()",
             "int getPriority()",
             "bool equivalent(cMacroPtr,cMacroPtr) macro1,macro2",
         }},
        {&IMacroTypeMgr::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool registerMacroType(cMacroTypePtr) macroType",
             "bool unregisterMacroType(cMacroTypePtr) macroType",
             "cMacroTypePtr getMacroTypeByID(QString) macroTypeID",
             "cMacroTypePtrList getAllMacroTypes()",
             "cMacroTypePtrList getAllMacroTypesSorted()",
             "cMacroTypePtrList getMacroTypesByControlTypeID(QString) controlTypeID",
             "QList<QString> getControlTypeIDsByMacroType(cJsonValue) macroType",
         }},
        {&IMacroEditor::staticMetaObject,
         &QWidget::staticMetaObject,
         {
             "cMacroPtr saveToMacro()",
             "QString getMacroTypeID()",
             "bool showMacroName()",
             "void setMacroName(QString) macroName",
             "bool onOK()",
             "bool onCancel()",
             "void onHelp()",
             "void onClearForm()",
             "bool canAddMacro()",
         }},
        {&IPlayState::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool start()",
             "void stop()",
             "QTime nextEvent()",
             "bool isFinished()",
             "void advanceTimeTo(QTime) currTime",
             "void processTrigger(PlayStateTriggers::PlayStateTriggers_t) trigger",
         }},
        {&IAssignment::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cObjectPtr queryInterface(QString) ifc",
             "cAssignmentPtr clone()",
             "QString macroID()",
             "MKey::MKey_t mode()",
             "QString contextID()",
             "bool isBackup()",
             "bool isOriginal()",
             "void setBackup(bool) bBackup",
             "void setOriginal(bool) bOriginal",
         }},
        {&IAssignments::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "void addAssignment(cAssignmentPtr) newAssignment",
             "cAssignmentsPtr clone()",
             "cAssignmentPtrList allAssignments()",
             "cAssignmentPtrList nonBackupAssignments()",
         }},
        {&IGenericAssignment::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "cObjectPtr queryInterface(QString) ifc",
             "QString contextID()",
             "MKey::MKey_t mode()",
             "cMacroPtr macro()",
             "bool required()",
             "bool hidden()",
             "bool cannotBeUnassigned()",
         }},
        {&IOnboardProfiles::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "QString deviceCategory()",
             "MKey::MKey_t activeMode()",
             "void setActiveMode(MKey::MKey_t) newMode",
             "int buttonCount()",
             "cOnboardFunctionList allowedFunctions(QString) contextID",
             "cOnboardProfilePtr profile(MKey::MKey_t) mode",
             "void save()",
         }},
        {&IOnboardProfile::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "MKey::MKey_t mode()",
             "void resetSectionToDefaults(OnboardSection::OnboardSection_t) what",
             "void resetAssignmentToGeneric(QString) contextID",
             "QColor color()",
             "void setColor(QColor) newColor",
             "int reportRate()",
             "void setReportRate(int) newReportRate",
             "QList<int> dpiTable()",
             "int dpiDefaultIndex()",
             "void setDpiTable(QList<int>,int) newDpiTable,defaultIndex",
             "int currentDpiIndex()",
             "void setCurrentDpiIndex(int) newCurrentIndex",
             "int dpiShift()",
             "void setDpiShift(int) newDpiShift",
             "OnboardFunction::OnboardFunction_t assignedFunction(QString) contextID",
             "bool assignedKeystroke(QString,HidKey::HidKey_t&,cHidKeyList&) contextID,keystroke,modifier",
             "bool setAssignedFunction(QString,OnboardFunction::OnboardFunction_t) contextID,function",
             "bool setAssignedKeystroke(QString,HidKey::HidKey_t,cHidKeyList) contextID,keystroke,modifier",
             "OnboardFunction::OnboardFunction_t assignedFunction(GenericButton::GenericButton_t) "
             "genericButton",
             "int shiftDpiIndex()",
         }},
        {&IChannelAttenuationModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool isActive()",
             "bool enableAttenuation(bool) enable",
             "float getChannelAttenuation(int) channel",
             "bool setChannelAttenuation(int,float) channel,attenuation",
         }},
        {&IGainModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool isVolumeBoostActive()",
             "bool enableVolumeBoost(bool) enable",
             "float getDynamicGain()",
             "bool setDynamicGain(float) gain",
         }},
        {&IEqualizerModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool isEqualizerActive()",
             "bool enableEqualizer(bool) enable",
             "double getBandEQ(int) bandNumber",
             "bool setBandEQ(int,double) bandNumber,gain",
             "double getBandQ(int) bandNumber",
             "bool setBandQ(int,double) bandNumber,q",
             "float getPreAmpValue()",
             "bool setPreAmpValue(float) value",
             "int getBandFrequency(int) bandNumber",
             "bool setBandFrequency(int,int) bandNumber,frequency",
         }},
        {&ISBVMModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool isActive()",
             "bool enableVM(bool) enable",
             "int getVoiceSelection()",
             "bool setVoiceSelection(int) selection",
             "int getVoiceType()",
             "bool setVoiceType(int) type",
             "int getVoiceQuality()",
             "bool setVoiceQuality(int) quality",
             "bool resetVM()",
             "int getNoiseThreshold()",
             "bool setNoiseThreshold(int) threshold",
             "bool enableNullVoice(bool) enable",
             "bool isNullVoiceEnabled()",
             "bool setNoiseThresholdForMorphing(int) threshold",
             "bool setNoiseThresholdForNullVoice(int) threshold",
         }},
        {&ISidetoneModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "qint32 getSidetone()",
             "bool setSidetone(qint32) level",
         }},
        {&IAudioFeedbackLoopModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool isActive()",
             "bool startFeedbackLoop()",
             "void stopFeedbackLoop()",
         }},
        {&IChannelMixerModel::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "bool isMixerActive()",
             "bool enableMixer(bool) enable",
             "int getChannelLevel(int) channel",
             "bool setChannelLevel(int,int) channel,level",
             "QDateTime getLastSurroundContentTime()",
             "ChannelMask::ChannelMask_t getLastSurroundContentMask()",
         }},
        {&IAudioPlayer::staticMetaObject,
         &QObject::staticMetaObject,
         {
             "PlayerResult::PlayerResult_t initialize()",
             "void destroy()",
             "PlayerResult::PlayerResult_t play(QString) fileName",
             "PlayerResult::PlayerResult_t stop()",
             "PlayerState::PlayerState_t getState()",
         }},
    };
    return table;
}

int typeIdByName(const QByteArray &name)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QMetaType::fromName(name).id();
#else
    return QMetaType::type(name.constData());
#endif
}

// Built-in types are recorded by moc as type ids, so their names come back in Qt's own spelling
// (quint32 as uint, QList<QString> as QStringList under Qt 6); other types keep the spelling of the
// declaration.
QByteArray builtInSpelling(const QByteArray &type)
{
    const int id = typeIdByName(type);
    if (id == QMetaType::UnknownType || id >= QMetaType::User)
        return type;
    return QByteArray(QMetaType(id).name());
}

QByteArray recordedSignature(const QByteArray &signature)
{
    const int open = signature.indexOf('(');
    const QByteArray arguments = signature.mid(open + 1, signature.size() - open - 2);
    QList<QByteArray> types;
    if (!arguments.isEmpty()) {
        for (const QByteArray &type : arguments.split(','))
            types << builtInSpelling(type);
    }
    return signature.left(open + 1) + types.join(',') + ')';
}

struct Operation
{
    QByteArray result;
    QByteArray signature;
    QList<QByteArray> parameterNames;
};

Operation parseOperation(const char *text)
{
    const QList<QByteArray> parts = QByteArray(text).split(' ');
    Operation operation;
    operation.result = builtInSpelling(QMetaObject::normalizedType(parts.value(0).constData()));
    operation.signature = QMetaObject::normalizedSignature(parts.value(1).constData());
    if (parts.size() > 2)
        operation.parameterNames = parts.at(2).split(',');
    return operation;
}

class cStubTransport : public IAbstractTransport
{
public:
    const cJsonValue &info() override
    {
        ++m_infoCalls;
        return m_info;
    }
    void start() override { }
    void stop() override { }
    bool started() override { return false; }
    QByteArray read() override { return {}; }
    bool setFeature(const QByteArray &) override { return false; }
    QByteArray feature(int) override { return {}; }
    bool feature(QByteArray &) override { return false; }
    void write(int, const QByteArray &) override { }
    void processPowerChange(PowerType::PowerType_t) override { }

    int m_infoCalls = 0;
    cJsonValue m_info;
};

class cStubMacroEditor : public IMacroEditor
{
public:
    cMacroPtr saveToMacro() override { return {}; }
    QString getMacroTypeID() override { return {}; }
    bool showMacroName() override { return false; }
    void setMacroName(const QString &) override { }
    bool onOK() override { return false; }
    bool onCancel() override { return false; }
    void onHelp() override { }
    void onClearForm() override { }
    bool canAddMacro() override { return false; }
};

} // namespace

class tst_Contracts : public QObject
{
    Q_OBJECT

private slots:
    void catalogueListsEveryInterfaceInOrder();
    void interfaceShape_data();
    void interfaceShape();
    void referenceResultsHaveNoInvokableResult();
    void overloadsResolveByNormalizedTypes_data();
    void overloadsResolveByNormalizedTypes();
    void macroEditorIsTheOnlyWidget();
    void hostMetaTypeNamesResolve_data();
    void hostMetaTypeNamesResolve();
    void pluginTagsResolve_data();
    void pluginTagsResolve();
};

void tst_Contracts::catalogueListsEveryInterfaceInOrder()
{
    QList<QByteArray> expected;
    for (const InterfaceRow &row : contractTable())
        expected << row.meta->className();
    QList<QByteArray> actual;
    for (const QMetaObject *meta : cContractCatalogue::interfaces())
        actual << meta->className();
    QCOMPARE(actual, expected);
}

void tst_Contracts::interfaceShape_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < contractTable().size(); ++i)
        QTest::newRow(contractTable().at(i).meta->className()) << i;
}

void tst_Contracts::interfaceShape()
{
    QFETCH(int, row);
    const InterfaceRow &expected = contractTable().at(row);
    const QMetaObject *meta = expected.meta;

    QVERIFY(meta->superClass());
    QCOMPARE(QByteArray(meta->superClass()->className()), QByteArray(expected.base->className()));
    QCOMPARE(meta->superClass(), expected.base);

    // Exactly one class info of its own, so the version a service proxy asks for is this one and
    // not one inherited from a base interface.
    QCOMPARE(meta->classInfoCount() - meta->classInfoOffset(), 1);
    QCOMPARE(QByteArray(meta->classInfo(meta->classInfoOffset()).name()), QByteArray("version"));
    QCOMPARE(QByteArray(meta->classInfo(meta->classInfoOffset()).value()), QByteArray("1"));
    QCOMPARE(meta->propertyCount(), meta->propertyOffset());
    QCOMPARE(meta->enumeratorCount(), meta->enumeratorOffset());

    QList<Operation> operations;
    for (const char *text : expected.operations)
        operations << parseOperation(text);

    QList<QByteArray> expectedSignatures;
    for (const Operation &operation : operations)
        expectedSignatures << recordedSignature(operation.signature);
    QList<QByteArray> signatures;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        signatures << meta->method(i).methodSignature();
    QCOMPARE(signatures, expectedSignatures);

    for (int i = 0; i < operations.size(); ++i) {
        const QMetaMethod method = meta->method(meta->methodOffset() + i);
        const Operation &operation = operations.at(i);
        QVERIFY2(method.methodType() == QMetaMethod::Method, operation.signature.constData());
        QVERIFY2(method.access() == QMetaMethod::Public, operation.signature.constData());
        QCOMPARE(QByteArray(method.typeName()), operation.result);
        QCOMPARE(method.parameterNames(), operation.parameterNames);
        // A caller by name writes the contract's spelling; the lookup must land on this operation.
        QCOMPARE(meta->indexOfMethod(operation.signature.constData()), meta->methodOffset() + i);
    }
}

void tst_Contracts::referenceResultsHaveNoInvokableResult()
{
    // moc drops reference results: a caller by name gets nothing back from these two, and only a
    // caller through the virtual function sees the object's own value.
    const QMetaMethod info = IAbstractTransport::staticMetaObject.method(
        IAbstractTransport::staticMetaObject.indexOfMethod("info()"));
    const QMetaMethod deviceInfo = IAbstractDevice::staticMetaObject.method(
        IAbstractDevice::staticMetaObject.indexOfMethod("deviceInfo()"));
    QCOMPARE(QByteArray(info.typeName()), QByteArray("void"));
    QCOMPARE(info.returnType(), int(QMetaType::Void));
    QCOMPARE(QByteArray(deviceInfo.typeName()), QByteArray("void"));
    QCOMPARE(deviceInfo.returnType(), int(QMetaType::Void));

    registerHostMetaTypes();
    cStubTransport transport;
    QVERIFY(QMetaObject::invokeMethod(&transport, "info"));
    QCOMPARE(transport.m_infoCalls, 1);

    cJsonValue result("untouched");
    QVERIFY(!QMetaObject::invokeMethod(&transport, "info", Q_RETURN_ARG(cJsonValue, result)));
    QCOMPARE(transport.m_infoCalls, 1);
    QCOMPARE(result.toString(), QStringLiteral("untouched"));
}

void tst_Contracts::overloadsResolveByNormalizedTypes_data()
{
    QTest::addColumn<QByteArray>("interface");
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QList<QByteArray>>("parameterNames");

    // Signatures as a caller by name writes them, const references included.
    QTest::newRow("addProfile by pointer")
        << QByteArray("IProfileMgr") << QByteArray("addProfile(cProfilePtr)") << true
        << QList<QByteArray> {"profile"};
    QTest::newRow("addProfile by element")
        << QByteArray("IProfileMgr")
        << QByteArray("addProfile(const QDomElement&, const QString&, const QString&)") << true
        << QList<QByteArray> {"profile", "displayName", "signature"};
    QTest::newRow("addProfile by name only")
        << QByteArray("IProfileMgr") << QByteArray("addProfile(QString)") << false << QList<QByteArray> {};
    QTest::newRow("addProfile by another pointer")
        << QByteArray("IProfileMgr") << QByteArray("addProfile(cMacroPtr)") << false << QList<QByteArray> {};
    QTest::newRow("assignedFunction by context")
        << QByteArray("IOnboardProfile") << QByteArray("assignedFunction(const QString&)") << true
        << QList<QByteArray> {"contextID"};
    QTest::newRow("assignedFunction by button")
        << QByteArray("IOnboardProfile") << QByteArray("assignedFunction(GenericButton::GenericButton_t)")
        << true << QList<QByteArray> {"genericButton"};
    QTest::newRow("assignedFunction by int")
        << QByteArray("IOnboardProfile") << QByteArray("assignedFunction(int)") << false
        << QList<QByteArray> {};
    QTest::newRow("destroyAudioDevice by pointer")
        << QByteArray("IAudioDeviceMgr") << QByteArray("destroyAudioDevice(cAudioDevicePtr)") << true
        << QList<QByteArray> {"device"};
    QTest::newRow("destroyAudioDevice by uid")
        << QByteArray("IAudioDeviceMgr") << QByteArray("destroyAudioDevice(const QString)") << true
        << QList<QByteArray> {"deviceUid"};
    QTest::newRow("getActiveDevice by model")
        << QByteArray("IAudioDeviceMgr") << QByteArray("getActiveDevice(const QString&)") << true
        << QList<QByteArray> {"deviceModel"};
    QTest::newRow("getActiveDevice without model")
        << QByteArray("IAudioDeviceMgr") << QByteArray("getActiveDevice()") << true << QList<QByteArray> {};
    QTest::newRow("toContextId by gkey") << QByteArray("IProfiler") << QByteArray("toContextId(GKey::GKey_t)")
                                         << true << QList<QByteArray> {"gkey"};
    QTest::newRow("toContextId by button")
        << QByteArray("IProfiler") << QByteArray("toContextId(GenericButton::GenericButton_t)") << true
        << QList<QByteArray> {"button"};
}

void tst_Contracts::overloadsResolveByNormalizedTypes()
{
    QFETCH(QByteArray, interface);
    QFETCH(QByteArray, signature);
    QFETCH(bool, found);
    QFETCH(QList<QByteArray>, parameterNames);

    const QMetaObject *meta = nullptr;
    for (const QMetaObject *candidate : cContractCatalogue::interfaces()) {
        if (interface == candidate->className())
            meta = candidate;
    }
    QVERIFY(meta);

    const int index
        = meta->indexOfMethod(QMetaObject::normalizedSignature(signature.constData()).constData());
    if (!found) {
        QCOMPARE(index, -1);
        return;
    }
    QVERIFY2(index >= meta->methodOffset(), signature.constData());
    QCOMPARE(meta->method(index).parameterNames(), parameterNames);
}

void tst_Contracts::macroEditorIsTheOnlyWidget()
{
    for (const QMetaObject *meta : cContractCatalogue::interfaces()) {
        const bool isEditor = meta == &IMacroEditor::staticMetaObject;
        QVERIFY2(meta->inherits(&QWidget::staticMetaObject) == isEditor, meta->className());
    }

    cStubMacroEditor editor;
    cStubTransport transport;
    QObject *editorObject = &editor;
    QObject *transportObject = &transport;
    QVERIFY(qobject_cast<QWidget *>(editorObject));
    QVERIFY(qobject_cast<IMacroEditor *>(editorObject));
    QVERIFY(!qobject_cast<QWidget *>(transportObject));
}

// Rows name the type as spelled in the contract; the row also carries the size and, under Qt 6,
// the meta-type of the C++ type behind the name, so that an alias bound to the wrong type fails.
#define Q71_TYPE_ROW(...) addTypeRow<__VA_ARGS__>(#__VA_ARGS__)

template<typename T> static void addTypeRow(const char *name)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const int expectedId = QMetaType::fromType<T>().id();
#else
    const int expectedId = -1;
#endif
    QTest::newRow(name) << QByteArray(name) << int(sizeof(T)) << expectedId;
}

void tst_Contracts::hostMetaTypeNamesResolve_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("expectedId");

    Q71_TYPE_ROW(bool);
    Q71_TYPE_ROW(QString);
    Q71_TYPE_ROW(cJsonValue);
    Q71_TYPE_ROW(QDomElement);
    Q71_TYPE_ROW(cDpiSettings);
    Q71_TYPE_ROW(cPointerProperties);
    Q71_TYPE_ROW(QWeakPointer<IAbstractDevice>);

    Q71_TYPE_ROW(cAbstractDevicePtr);
    Q71_TYPE_ROW(cAbstractDeviceProviderPtr);
    Q71_TYPE_ROW(cAbstractTransportPtr);
    Q71_TYPE_ROW(cAudioRenderTransportPtr);
    Q71_TYPE_ROW(cAudioCaptureTransportPtr);
    Q71_TYPE_ROW(cAudioDevicePtr);
    Q71_TYPE_ROW(cMicrophoneModelPtr);
    Q71_TYPE_ROW(cProfilerDevicePtr);
    Q71_TYPE_ROW(cAbstractDevBusPtr);
    Q71_TYPE_ROW(cVolumeModelPtr);
    Q71_TYPE_ROW(cDolbyModelPtr);
    Q71_TYPE_ROW(cChannelAttenuationModelPtr);
    Q71_TYPE_ROW(cChannelMixerModelPtr);
    Q71_TYPE_ROW(cGainModelPtr);
    Q71_TYPE_ROW(cEqualizerModelPtr);
    Q71_TYPE_ROW(cSBVMModelPtr);
    Q71_TYPE_ROW(cSidetoneModelPtr);
    Q71_TYPE_ROW(cAudioFeedbackLoopModelPtr);
    Q71_TYPE_ROW(cAudioPlayerPtr);
    Q71_TYPE_ROW(cProfilePtr);
    Q71_TYPE_ROW(cProfileBacklightPtr);
    Q71_TYPE_ROW(cMacroPtr);
    Q71_TYPE_ROW(cMacroTypePtr);
    Q71_TYPE_ROW(cPlayStatePtr);
    Q71_TYPE_ROW(cAssignmentPtr);
    Q71_TYPE_ROW(cAssignmentsPtr);
    Q71_TYPE_ROW(cGenericAssignmentPtr);
    Q71_TYPE_ROW(cOnboardProfilePtr);
    Q71_TYPE_ROW(cDPCPtr);
    Q71_TYPE_ROW(cObjectPtr);

    Q71_TYPE_ROW(cAbstractDeviceList);
    Q71_TYPE_ROW(cAudioDeviceList);
    Q71_TYPE_ROW(cAssignmentPtrList);
    Q71_TYPE_ROW(cGenericAssignmentPtrList);
    Q71_TYPE_ROW(cMacroPtrList);
    Q71_TYPE_ROW(cMacroTypePtrList);
    Q71_TYPE_ROW(cProfilePtrList);
    Q71_TYPE_ROW(cOnboardFunctionList);
    Q71_TYPE_ROW(cHidKeyList);

    Q71_TYPE_ROW(DeviceValidationResult::DeviceValidationResult_t);
    Q71_TYPE_ROW(MicCaps::MicCaps_t);
    Q71_TYPE_ROW(MicLight::MicLight_t);
    Q71_TYPE_ROW(MicMuteNotification::MicMuteNotification_t);
    Q71_TYPE_ROW(GKey::GKey_t);
    Q71_TYPE_ROW(MKey::MKey_t);
    Q71_TYPE_ROW(GenericButton::GenericButton_t);
    Q71_TYPE_ROW(PowerType::PowerType_t);
    Q71_TYPE_ROW(AudioControl::AudioControl_t);
    Q71_TYPE_ROW(AudioControlState::AudioControlState_t);
    Q71_TYPE_ROW(ChannelMask::ChannelMask_t);
    Q71_TYPE_ROW(PlayStateTriggers::PlayStateTriggers_t);
    Q71_TYPE_ROW(RepeatMode::RepeatMode_t);
    Q71_TYPE_ROW(HidKey::HidKey_t);
    Q71_TYPE_ROW(MouseButton::MouseButton_t);
    Q71_TYPE_ROW(MouseMove::MouseMove_t);
    Q71_TYPE_ROW(OnboardFunction::OnboardFunction_t);
    Q71_TYPE_ROW(OnboardSection::OnboardSection_t);
    Q71_TYPE_ROW(PlayerResult::PlayerResult_t);
    Q71_TYPE_ROW(PlayerState::PlayerState_t);
    Q71_TYPE_ROW(DPCWhence::DPCWhence_t);
    Q71_TYPE_ROW(MessageIcon::MessageIcon_t);
}

void tst_Contracts::hostMetaTypeNamesResolve()
{
    QFETCH(QByteArray, name);
    QFETCH(int, size);
    QFETCH(int, expectedId);

    registerHostMetaTypes();
    const int id = typeIdByName(name);
    QVERIFY2(id != QMetaType::UnknownType, name.constData());
    QCOMPARE(QMetaType(id).sizeOf(), size);
    if (expectedId != -1)
        QCOMPARE(id, expectedId);

    // A second registration, as every host entry point may make, keeps the name where it was.
    registerHostMetaTypes();
    QCOMPARE(typeIdByName(name), id);
}

void tst_Contracts::pluginTagsResolve_data()
{
    QTest::addColumn<QByteArray>("tag");
    for (const char *tag :
         {"bool", "QString", "const QString", "const QDomElement", "cJsonValue", "GKey::GKey_t",
          "GenericButton::GenericButton_t", "MKey::MKey_t", "cAbstractDevBusPtr",
          "cAbstractDeviceProviderPtr", "cAbstractDevicePtr", "cProfilerDevicePtr", "cProfilePtr",
          "cAudioRenderTransportPtr", "cAudioCaptureTransportPtr", "QWeakPointer<IAbstractDevice>",
          "cAudioDevicePtr", "cAudioDeviceList"})
        QTest::newRow(tag) << QByteArray(tag);
}

void tst_Contracts::pluginTagsResolve()
{
    // The tags a plugin writes on its arguments in calls by name; the const of a by-value tag goes
    // in normalisation, and what is left must be a name the host knows.
    QFETCH(QByteArray, tag);
    registerHostMetaTypes();
    QVERIFY2(typeIdByName(QMetaObject::normalizedType(tag.constData())) != QMetaType::UnknownType,
             tag.constData());
}

QTEST_MAIN(tst_Contracts)
#include "tst_contracts.moc"
