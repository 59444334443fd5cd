#!/usr/bin/python
# -*- coding: utf-8 -*-
# The declared state of an access point, reached through apctl on the host
# that has its serial port. apctl holds every rule of the line and of what
# may be sent; this module only compares and asks for the difference.

from __future__ import absolute_import, division, print_function
__metaclass__ = type

DOCUMENTATION = r'''
---
module: access_point
short_description: Declared state of a Bluetooth access point on a serial port
version_added: "0.1.0"
description:
  - Brings the name and the paired devices of a Bluetooth access point to the state declared, and changes its PIN
    when asked to, by running C(apctl) on the managed host, the machine whose serial port the access point is on.
  - It first reads the port, the name and the paired devices with C(apctl status --json), in one conversation with
    the access point; then it runs one C(apctl) command for each change that is needed (name, deletion, PIN), each
    its own conversation. When nothing needs changing, that one reading is all the access point sees.
  - A device cannot be paired from here; addresses listed in I(paired_only) that the access point does not hold
    are left as they are.
requirements:
  - apctl, from apconfig, on the managed host
options:
  port:
    description:
      - The serial port, as C(apctl --port) takes it, a COM name (C(COM5)), a device path (C(/dev/ttyUSB0)) or a
        serial device server's RFC 2217 port (C(rfc2217://ds-bay1.example.org:3001)). A network port is reached
        from wherever the task runs, so tasks for device servers run on the control machine
        (delegated to C(localhost)), side by side with forks.
      - Without it, apctl takes the only port that can be opened, and fails when there are several. The reading
        gives the port's device path (I(port_path)), and every later C(apctl) of the task goes to that port.
      - COM numbers are kept per user on Linux, so a play that uses C(become) may see another COM number for the
        same adapter. Such plays should give a stable device path, for example
        C(/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0).
    type: str
  name:
    description:
      - The name the access point should have. Left as it is when not given.
      - apctl judges the name (at most 20 bytes in the host's locale character set, not empty); check mode asks it
        to judge the name too (C(apctl --check)), so that it fails where a real run would.
      - "The name is taken, and read back, in the character set of the managed host's locale. For names beyond
        ASCII, give the task a UTF-8 locale, for example C(environment: {LC_ALL: C.UTF-8})."
    type: str
  paired_absent:
    description:
      - Addresses of paired devices to delete, written as C(apctl list) shows them (C(00:1A:7D:DA:71:13)), in
        either case. Addresses the access point does not hold are already absent.
    type: list
    elements: str
  paired_only:
    description:
      - Addresses of paired devices to keep; every other paired device is deleted. An empty list deletes them all.
    type: list
    elements: str
  pin_current:
    description:
      - The PIN in force, needed to change it. May be empty.
    type: str
  pin:
    description:
      - The new PIN, at most 16 bytes. A PIN cannot be read back, so a change of it is never idempotent; see
        I(update_pin).
      - Both PINs reach apctl on its standard input (C(--pins-from-stdin)), never on its command line, where other
        users of the managed host could see them. A PIN holding a line feed or a carriage return cannot be sent.
    type: str
  update_pin:
    description:
      - C(always) changes the PIN on every run that gives I(pin), and reports a change each time.
      - C(never) leaves the PIN alone, for plays that keep the PIN in their variables without applying it.
    type: str
    choices: [always, never]
    default: always
  apctl_path:
    description:
      - The apctl program. Without it, apctl is looked for on the C(PATH) of the managed host.
    type: path
attributes:
  check_mode:
    description:
      - Reads the port, the name and the paired devices only, has apctl judge the new name and PINs as a real run
        would (C(apctl --check), which opens no port), and returns what would be done; changed only where a real
        run would change something.
    support: full
  diff_mode:
    description: Shows the name and the paired devices before and after.
    support: full
notes:
  - A failure of apctl fails the task with its one-line message; I(actions) then says what was done before it.
    apctl's exit status is returned as I(rc) (1 the access point refused, 2 no access point answered or its reply
    was late or malformed, 3 the port cannot be opened, 64 a value apctl does not take).
  - An address that is not six pairs of hexadecimal digits joined by colons fails the task before apctl runs.
  - Every run reaches the access point; running two tasks on the same port at the same time fails one of them,
    as the port is opened exclusively.
author:
  - apconfig developers
'''

EXAMPLES = r'''
- name: Name the access point and keep only the two scanners paired
  apconfig.access_point.access_point:
    port: COM5
    name: Bay 3
    paired_only:
      - 00:1A:7D:DA:71:13
      - 5c:f3:70:8b:12:c4

- name: Forget one device on the only port of the host
  apconfig.access_point.access_point:
    paired_absent:
      - 28:11:A5:36:E0:9F

- name: With become, name the adapter by a path that does not depend on the user
  apconfig.access_point.access_point:
    port: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
    name: Bay 3
  become: true

- name: Name an access point on a serial device server, from the control machine
  apconfig.access_point.access_point:
    port: rfc2217://ds-bay1.example.org:3001
    name: Bay 1
  delegate_to: localhost

- name: Change the PIN (reported as a change on every run)
  apconfig.access_point.access_point:
    port: /dev/ttyUSB0
    pin_current: "{{ vault_ap_pin_old }}"
    pin: "{{ vault_ap_pin }}"

- name: Only read the access point
  apconfig.access_point.access_point:
    port: COM5
  register: ap
'''

RETURN = r'''
port:
  description: The port the access point answered on, as apctl names it.
  returned: success
  type: str
  sample: COM5 (/dev/ttyUSB0)
port_path:
  description: The device path of that port, which every later apctl of the task was given as C(--port).
  returned: success
  type: str
  sample: /dev/ttyUSB0
name:
  description: The access point's name after the task (in check mode, the name it would have).
  returned: success
  type: str
  sample: Bay 3
paired:
  description: The paired devices after the task (in check mode, those it would keep), in the access point's order.
  returned: success
  type: list
  elements: dict
  contains:
    address:
      description: The address as apctl shows it, upper case.
      type: str
      sample: 00:1A:7D:DA:71:13
    manufacturer:
      description: The maker the address is registered to, null when not known.
      type: str
      sample: cyber-blue(HK)Ltd
actions:
  description:
    - What was done, or in check mode what would be done, in order; on a failure, also the action that failed.
    - C(action) is C(name) (with C(before) and C(after)), C(delete) (with C(addresses)) or C(pin); C(done) says
      whether apctl carried it out.
  returned: always
  type: list
  elements: dict
  sample:
    - {action: name, before: apsim, after: Bay 3, done: true}
    - {action: delete, addresses: ["28:11:A5:36:E0:9F"], done: true}
rc:
  description: apctl's exit status, when apctl failed.
  returned: failed
  type: int
  sample: 2
'''

import json
import re

from ansible.module_utils.basic import AnsibleModule

# apctl's display form; lower case is taken and shown upper case.
ADDRESS = re.compile(r'\A[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}\Z')


class Apctl(object):
    """Runs apctl; a failure ends the task with apctl's own message."""

    def __init__(self, module, actions):
        self.module = module
        self.actions = actions
        self.program = module.params['apctl_path'] or module.get_bin_path('apctl', required=True)
        self.port = module.params['port']

    def run(self, *arguments, **kwargs):
        """kwargs: data, what apctl reads on its standard input."""
        command = [self.program]
        if self.port is not None:
            command.append('--port=' + self.port)
        # Names go as typed: no "~" or "$VAR" expansion. Standard input as
        # given, without a line feed added.
        rc, out, err = self.module.run_command(command + list(arguments), expand_user_and_vars=False,
                                               data=kwargs.get('data'), binary_data=True)
        if rc != 0:
            message = err.strip() or 'apctl ended with exit status %d and no message' % rc
            self.module.fail_json(msg=message, rc=rc, actions=self.actions,
                                  changed=any(action['done'] for action in self.actions))
        return out

    def status(self):
        out = self.run('status', '--json')
        try:
            status = json.loads(out)
            # The changes go to the port the reading found, even where apctl
            # chose it: by its device path, not the display text.
            if self.port is None:
                self.port = status['port_path']
            return status['port'], status['port_path'], status['name'], status['paired']
        except (ValueError, KeyError, TypeError):
            self.module.fail_json(msg='apctl status --json gave no status: %r' % out[:200], actions=self.actions)


def addresses(module, option):
    """The option's addresses in display form, or the task fails."""
    given = module.params[option]
    if given is None:
        return None
    wanted = []
    for address in given:
        if not ADDRESS.match(address):
            module.fail_json(msg="%s: '%s' is not an address such as 44:55:33:00:11:22" % (option, address),
                             actions=[])
        if address.upper() not in wanted:
            wanted.append(address.upper())
    return wanted


def plan(params, name, paired, absent, only):
    actions = []
    if params['name'] is not None and params['name'] != name:
        actions.append({'action': 'name', 'before': name, 'after': params['name'], 'done': False})
    # A device may list an address twice; apctl is asked once.
    held = []
    for device in paired:
        if device['address'].upper() not in held:
            held.append(device['address'].upper())
    if only is not None:
        deleted = [address for address in held if address not in only]
    else:
        deleted = [address for address in held if address in (absent or [])]
    if deleted:
        actions.append({'action': 'delete', 'addresses': deleted, 'done': False})
    if params['pin'] is not None and params['update_pin'] == 'always':
        actions.append({'action': 'pin', 'done': False})
    return actions


def pins_input(module, params):
    """The two lines apctl --pins-from-stdin reads, or the task fails."""
    for option in ('pin_current', 'pin'):
        if '\n' in params[option] or '\r' in params[option]:
            module.fail_json(msg='%s: the PIN holds a line feed or a carriage return, which cannot be sent' % option,
                             actions=[])
    return params['pin_current'] + '\n' + params['pin'] + '\n'


def carry_out(apctl, action, params, check):
    """Runs the action's apctl; in check mode apctl only judges its values."""
    judge = ['--check'] if check else []
    if action['action'] == 'name':
        # After "--" a name may start with "-".
        apctl.run(*(judge + ['name', '--', action['after']]))
    elif action['action'] == 'delete':
        if check:
            # The addresses were judged before apctl ran; the reading proved the port.
            return
        apctl.run('delete', *action['addresses'])
    else:
        apctl.run(*(judge + ['pin', '--pins-from-stdin']), data=pins_input(apctl.module, params))
    action['done'] = not check


def described(name, paired):
    return 'name: %s\npaired:\n%s' % (name, ''.join('  - %s\n' % device['address'] for device in paired))


def main():
    module = AnsibleModule(
        argument_spec=dict(
            port=dict(type='str'),
            name=dict(type='str'),
            paired_absent=dict(type='list', elements='str'),
            paired_only=dict(type='list', elements='str'),
            pin_current=dict(type='str', no_log=True),
            pin=dict(type='str', no_log=True),
            update_pin=dict(type='str', choices=['always', 'never'], default='always'),
            apctl_path=dict(type='path'),
        ),
        mutually_exclusive=[('paired_absent', 'paired_only')],
        required_together=[('pin', 'pin_current')],
        supports_check_mode=True,
    )
    params = module.params
    absent = addresses(module, 'paired_absent')
    only = addresses(module, 'paired_only')

    actions = []
    apctl = Apctl(module, actions)
    port, port_path, name, paired = apctl.status()
    actions.extend(plan(params, name, paired, absent, only))
    for action in actions:
        carry_out(apctl, action, params, module.check_mode)

    deleted = set(address for action in actions if action['action'] == 'delete' for address in action['addresses'])
    after_name = params['name'] if params['name'] is not None else name
    after_paired = [device for device in paired if device['address'].upper() not in deleted]
    result = dict(changed=bool(actions), port=port, port_path=port_path, name=after_name, paired=after_paired, actions=actions)
    if module._diff:
        result['diff'] = dict(before=described(name, paired), after=described(after_name, after_paired))
    module.exit_json(**result)


if __name__ == '__main__':
    main()
